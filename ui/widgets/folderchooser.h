// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

#include <functional>

class QWidget;

// The folder picker the convert and rename pages share. The picker is injectable so that tests
// can choose folders without a dialog.
class FolderChooser
{
public:
    // Returns the chosen folder, or an empty text when the user cancelled. The title says which
    // folder is asked for.
    using Picker =
        std::function<QString(QWidget *owner, const QString &title, const QString &current)>;

    FolderChooser();
    explicit FolderChooser(Picker picker);

    // The folder text becomes the chosen folder; a cancelled choice leaves it as it was and
    // returns false.
    bool chooseFolder(QWidget *owner, const QString &title, QString &folder) const;

private:
    Picker m_picker;
};
