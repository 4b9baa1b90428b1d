// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

// Renames a file inside one folder without ever replacing another file: when the new name
// exists, the rename fails with EEXIST and both files stay as they were.
class NoReplaceRename
{
public:
    // renameat2 with RENAME_NOREPLACE; where the file system or kernel refuses that flag,
    // linkAndUnlink; where it has no hard links either (FAT, exFAT), reserveAndRename. Both
    // names must be single names inside the folder open as folderFd (non-empty, not "." or "..",
    // no '/' or NUL); any other is refused with EINVAL before the disk is touched, so that a name
    // typed as "../x" cannot move a file out of the folder. Returns 0 or the errno value of the
    // failure.
    static int rename(int folderFd, const QByteArray &from, const QByteArray &to);
    // A second link under the new name (link() never replaces either), then the old name
    // removed. If the old name cannot be removed, the new link is taken away again, so the
    // file keeps exactly one name. Names are not checked here. Returns 0 or an errno value.
    static int linkAndUnlink(int folderFd, const QByteArray &from, const QByteArray &to);
    // Creates the new name as an empty file of its own (O_EXCL: a disk that folds case refuses
    // it also when the name exists in another case, the old name itself included), checks just
    // before the rename that the name still holds that empty file, and renames over it. Only
    // another process acting between that check and the rename can lose a file, which the
    // system offers no way to rule out here. Names are not checked. Returns 0 or an errno value.
    static int reserveAndRename(int folderFd, const QByteArray &from, const QByteArray &to);

    static bool isSingleName(const QByteArray &name);

    // The calls the renames make, the real ones unless a test has put others in their place to
    // play a file system that refuses one, or another process acting in between. Process-wide:
    // change them only while no rename runs, and restore them with systemCalls() = {}.
    struct SystemCalls
    {
        std::function<int(int, const char *, int, const char *, unsigned)> renameat2 = ::renameat2;
        std::function<int(int, const char *, int, const char *, int)> linkat = ::linkat;
        std::function<int(int, const char *, int, mode_t)> openat = [](int folder, const char *name,
                                                                       int flags, mode_t mode) {
            return ::openat(folder, name, flags, mode);
        };
        std::function<int(int, const char *, struct stat *, int)> fstatat = ::fstatat;
        std::function<int(int, const char *, int, const char *)> renameat = ::renameat;
        std::function<int(int, const char *, int)> unlinkat = ::unlinkat;
    };
    static SystemCalls &systemCalls();
};
