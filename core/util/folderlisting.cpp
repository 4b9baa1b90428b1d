// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/folderlisting.h"

#include "util/pathutil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Calls take(name, status) for every regular file, the status only looked up when withStatus
// or when the entry's type needs it; status calls follow links and never open the target, so a
// FIFO behind one cannot block.
template <typename Take> void forEachRegularFile(const QString &folder, bool withStatus, Take take)
{
    if (folder.isEmpty())
        return;
    const int folderFd =
        ::open(PathUtil::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return;
    DIR *dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        struct stat status
        {
        };
        const bool typeKnown = entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
        if (typeKnown && entry->d_type != DT_REG)
            continue;
        if ((withStatus || !typeKnown) &&
            (::fstatat(folderFd, entry->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode)))
            continue;
        take(entry->d_name, status);
    }
    ::closedir(dir);
}

} // namespace

QStringList FolderListing::regularFileNames(const QString &folder)
{
    QStringList names;
    forEachRegularFile(folder, false, [&](const char *name, const struct stat &) {
        names.append(PathUtil::decodeName(QByteArray(name)));
    });
    return names;
}

QList<FolderListing::File> FolderListing::regularFiles(const QString &folder)
{
    QList<File> files;
    forEachRegularFile(folder, true, [&](const char *name, const struct stat &status) {
        files.append({PathUtil::decodeName(QByteArray(name)),
                      qint64(status.st_mtim.tv_sec) * 1'000'000 + status.st_mtim.tv_nsec / 1000});
    });
    return files;
}
