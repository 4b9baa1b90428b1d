// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// The result of one renaming run.
struct RenameResult
{
    enum Outcome
    {
        // The list is empty or its first row has no new name; no file was touched.
        NothingToDo,
        // Every row was renamed.
        Completed,
        // The rename of row renamedCount failed; the rows before it stay renamed, it and the
        // rows after it were not touched.
        Stopped,
    };

    Outcome outcome = NothingToDo;
    int renamedCount = 0;
    // The errno value of the failure, and for the message box the file's old and new names (or
    // the folder) with the reason in words.
    int errorCode = 0;
    QString errorText;
};
