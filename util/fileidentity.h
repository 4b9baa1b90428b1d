// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>

// Whether two paths lead to the same file or folder, whatever their texts: a symbolic link, a
// bind mount, "src/." or a hard link all lead to the one device and inode.
class FileIdentity
{
public:
    // Paths as the file system knows them (bytes). False when either cannot be looked up, unless
    // the two texts are equal and not empty.
    static bool same(const QByteArray &a, const QByteArray &b);
};
