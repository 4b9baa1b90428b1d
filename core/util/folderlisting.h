// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a folder holds that can be read as a file. Reads directory entries and looks up the type
// of links and of entries whose type the folder does not tell; never opens anything inside the
// folder, so a FIFO or a device cannot stall it.
class FolderListing
{
public:
    struct File
    {
        QString name;
        qint64 modified = 0; // microseconds since the epoch; of the target, for a link
    };

    // The names (PathUtil::decodeName) of the entries that are regular files or links resolving
    // to one, hidden ones included, in the order the folder lists them. Sub-folders, FIFOs,
    // sockets, devices and dangling links are left out. A folder that is missing or unreadable,
    // or an empty folder text, gives none.
    static QStringList regularFileNames(const QString &folder);
    // The same files with their modification times, which costs a status call per file.
    static QList<File> regularFiles(const QString &folder);
};
