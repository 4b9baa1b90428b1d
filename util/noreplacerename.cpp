// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/noreplacerename.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

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
    if (::renameat2(folderFd, from.constData(), folderFd, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int refusal = errno;
    if (!flagRefused(refusal))
        return refusal;
    const int error = linkAndUnlink(folderFd, from, to);
    // Neither way exists here (a file system without hard links): EINVAL may also have been
    // the file system refusing the new name, which tells the user more than "not permitted".
    return linksRefused(error) ? refusal : error;
}

int NoReplaceRename::linkAndUnlink(int folderFd, const QByteArray &from, const QByteArray &to)
{
    // Without AT_SYMLINK_FOLLOW a symbolic link is itself renamed, as rename() does.
    if (::linkat(folderFd, from.constData(), folderFd, to.constData(), 0) != 0)
        return errno;
    if (::unlinkat(folderFd, from.constData(), 0) != 0) {
        const int error = errno;
        ::unlinkat(folderFd, to.constData(), 0);
        return error;
    }
    return 0;
}
