// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "rename/takendate.h"

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
    // The file's modification time when it was listed, in microseconds since the epoch.
    qint64 fileDate = 0;
    // When the picture was taken, once a reader has answered (dateRead).
    TakenDate taken;
    bool dateRead = false;
    // The row's place in the listing, by which answers that come after rows moved find it.
    int listed = -1;

    // What the date column orders by: the date taken, else the file date.
    qint64 dateKey() const { return taken.microseconds.value_or(fileDate); }
};
