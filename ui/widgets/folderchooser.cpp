// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/folderchooser.h"

#include <QFileDialog>

FolderChooser::FolderChooser()
    : FolderChooser([](QWidget *owner, const QString &title, const QString &current) {
        return QFileDialog::getExistingDirectory(owner, title, current);
    })
{}

FolderChooser::FolderChooser(Picker picker)
    : m_picker(std::move(picker))
{}

bool FolderChooser::chooseFolder(QWidget *owner, const QString &title, QString &folder) const
{
    const QString chosen = m_picker(owner, title, folder);
    if (chosen.isEmpty())
        return false;
    folder = chosen;
    return true;
}
