// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>

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
};
