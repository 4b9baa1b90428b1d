// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/filerenamer.h"

#include "util/noreplacerename.h"
#include "rename/renamelistmodel.h"
#include "util/pathutil.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

RenameResult stopped(int row, int error)
{
    RenameResult result;
    result.outcome = RenameResult::Stopped;
    result.renamedCount = row;
    result.errorCode = error;
    result.errorText = QString::fromLocal8Bit(std::strerror(error));
    return result;
}

} // namespace

RenameResult FileRenamer::renameFiles(const QString &folder, const RenameListModel &list)
{
    const QList<RenameItem> &rows = list.items();
    // New names are computed for all rows at once: none on the first row means none at all.
    if (rows.isEmpty() || rows.first().newName.isEmpty())
        return {};
    if (folder.isEmpty())
        return stopped(0, ENOENT);
    // Every name is resolved in this one folder, whatever happens to its path meanwhile.
    const int folderFd =
        ::open(PathUtil::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return stopped(0, errno);

    RenameResult result;
    for (int row = 0; row < rows.size(); ++row) {
        const int error =
            NoReplaceRename::rename(folderFd, PathUtil::encodeName(rows[row].currentName),
                                    PathUtil::encodeName(rows[row].newName));
        if (error != 0) {
            result = stopped(row, error);
            break;
        }
        result.renamedCount = row + 1;
    }
    ::close(folderFd);
    if (result.outcome != RenameResult::Stopped)
        result.outcome = RenameResult::Completed;
    return result;
}
