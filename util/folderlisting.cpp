// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/folderlisting.h"

#include "util/pathutil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isRegularFile(int folderFd, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return true;
    case DT_LNK:
    case DT_UNKNOWN: {
        // Follows the link; stat never opens the target, so a FIFO behind it cannot block.
        struct stat status;
        return ::fstatat(folderFd, entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
    }
    default:
        return false;
    }
}

} // namespace

QStringList FolderListing::regularFileNames(const QString &folder)
{
    QStringList names;
    if (folder.isEmpty())
        return names;
    const int folderFd =
        ::open(PathUtil::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return names;
    DIR *dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        if (isRegularFile(folderFd, *entry))
            names.append(PathUtil::decodeName(QByteArray(entry->d_name)));
    }
    ::closedir(dir);
    return names;
}
