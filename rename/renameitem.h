// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// One row of the rename list.
struct RenameItem
{
    // The file's name in the listed folder, as the folder gave it (case kept).
    QString currentName;
    // The name the file is to receive; empty until new names are computed, and while a row is
    // dragged.
    QString newName;
    // The new name, with A to Z folded, is a name the last scan listed.
    bool conflict = false;
};
