// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/filerenamer.h"

#include "rename/renameitem.h"
#include "strings/stringtable.h"
#include "util/diskerror.h"
#include "util/noreplacerename.h"
#include "util/pathutil.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

RenameResult stopped(int row, int error, const QString &message)
{
    RenameResult result;
    result.outcome = RenameResult::Stopped;
    result.renamedCount = row;
    result.errorCode = error;
    result.errorText = message;
    return result;
}

RenameResult folderFailed(const QString &folder, int error)
{
    return stopped(0, error, loadString(RenameFolderFailed).arg(folder, DiskError::reason(error)));
}

RenameResult rowFailed(int row, const RenameItem &item, int error)
{
    // A disk that folds case holds the new name already when only the case changes.
    const bool caseOnly =
        error == EEXIST && item.currentName.compare(item.newName, Qt::CaseInsensitive) == 0;
    const QString reason = caseOnly ? loadString(NameTakenCaseBlind) : DiskError::reason(error);
    return stopped(row, error,
                   loadString(RenameFileFailed).arg(item.currentName, item.newName, reason));
}

} // namespace

RenameResult FileRenamer::renameFiles(const QString &folder, const QList<RenameItem> &rows,
                                      const AfterRename &afterRename)
{
    // New names are computed for all rows at once: none on the first row means none at all.
    if (rows.isEmpty() || rows.first().newName.isEmpty())
        return {};
    if (folder.isEmpty())
        return folderFailed(folder, ENOENT);
    // Every name is resolved in this one folder, whatever happens to its path meanwhile.
    const int folderFd =
        ::open(PathUtil::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return folderFailed(folder, errno);

    RenameResult result;
    for (int row = 0; row < rows.size(); ++row) {
        const int error =
            NoReplaceRename::rename(folderFd, PathUtil::encodeName(rows[row].currentName),
                                    PathUtil::encodeName(rows[row].newName));
        if (error != 0) {
            result = rowFailed(row, rows[row], error);
            break;
        }
        result.renamedCount = row + 1;
        if (afterRename)
            afterRename(result.renamedCount);
    }
    ::close(folderFd);
    if (result.outcome != RenameResult::Stopped)
        result.outcome = RenameResult::Completed;
    return result;
}
