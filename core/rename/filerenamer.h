// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "rename/renameresult.h"

#include <QList>
#include <QString>

#include <functional>

struct RenameItem;

// Renames the listed files to their new names, row by row in list order, in one pass. No file
// is ever replaced: a new name that exists on disk (listed or not) stops the run at that row,
// as does any other failure. Conflict marks are not looked at; keeping "Renumber" disabled
// while there are conflicts is the page's task.
class FileRenamer
{
public:
    // Called after each rename with the number of files renamed so far; tests end the process
    // there to play a crash in the middle of a run.
    using AfterRename = std::function<void(int renamed)>;

    // Safe on any thread. An empty folder text is refused (ENOENT) rather than taken for the
    // working directory.
    static RenameResult renameFiles(const QString &folder, const QList<RenameItem> &rows,
                                    const AfterRename &afterRename = {});
};
