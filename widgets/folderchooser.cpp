// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/folderchooser.h"

#include <QFileDialog>

FolderChooser::FolderChooser()
    : FolderChooser([](QWidget *owner, const QString &current) {
        return QFileDialog::getExistingDirectory(owner, QString(), current);
    })
{}

FolderChooser::FolderChooser(Picker picker)
    : m_picker(std::move(picker))
{}

bool FolderChooser::chooseFolder(QWidget *owner, QString &folder) const
{
    const QString chosen = m_picker(owner, folder);
    if (chosen.isEmpty())
        return false;
    folder = chosen;
    return true;
}
