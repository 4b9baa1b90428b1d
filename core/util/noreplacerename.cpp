// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/noreplacerename.h"

#include "util/systemcalls.h"

#include <cerrno>

namespace {

// The answers of a file system or kernel that does not offer the flag at all, as opposed to
// one that refuses this particular rename.
bool flagRefused(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

// The answers of a file system without hard links.
bool linksRefused(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

} // namespace

bool NoReplaceRename::isSingleName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

int NoReplaceRename::rename(int folderFd, const QByteArray &from, const QByteArray &to)
{
    if (!isSingleName(from) || !isSingleName(to))
        return EINVAL;
    if (SystemCalls::current().renameat2(folderFd, from.constData(), folderFd, to.constData(),
                                         RENAME_NOREPLACE) == 0)
        return 0;
    const int refusal = errno;
    if (!flagRefused(refusal))
        return refusal;
    const int error = linkAndUnlink(folderFd, from, to);
    return linksRefused(error) ? reserveAndRename(folderFd, from, to) : error;
}

int NoReplaceRename::linkAndUnlink(int folderFd, const QByteArray &from, const QByteArray &to)
{
    const SystemCalls &system = SystemCalls::current();
    // Without AT_SYMLINK_FOLLOW a symbolic link is itself renamed, as rename() does.
    if (system.linkat(folderFd, from.constData(), folderFd, to.constData(), 0) != 0)
        return errno;
    if (system.unlinkat(folderFd, from.constData(), 0) != 0) {
        const int error = errno;
        system.unlinkat(folderFd, to.constData(), 0);
        return error;
    }
    return 0;
}

int NoReplaceRename::reserveAndRename(int folderFd, const QByteArray &from, const QByteArray &to)
{
    const SystemCalls &system = SystemCalls::current();
    // Creating the name first also proves that the disk takes it before the file is moved:
    // fusefat loses the file when it refuses the new name of a rename.
    const int fd =
        system.openat(folderFd, to.constData(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    struct stat reserved
    {
    };
    const auto stillReserved = [&] {
        struct stat now
        {
        };
        return system.fstatat(folderFd, to.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
               now.st_dev == reserved.st_dev && now.st_ino == reserved.st_ino &&
               S_ISREG(now.st_mode) && now.st_size == 0;
    };
    // Checked while the reservation is open, so that its inode number cannot have gone to a file
    // another process put in its place.
    const bool ours = system.fstat(fd, &reserved) == 0 && stillReserved();
    // Closed before the rename: FUSE keeps a file replaced while open as a hidden file.
    ::close(fd);
    if (!ours)
        return EEXIST;
    if (system.renameat(folderFd, from.constData(), folderFd, to.constData()) == 0)
        return 0;
    const int error = errno;
    // Another process may have taken the name meanwhile.
    if (stillReserved())
        system.unlinkat(folderFd, to.constData(), 0);
    return error;
}
