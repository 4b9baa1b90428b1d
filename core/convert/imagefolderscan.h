// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "util/folderprobe.h"

#include <QString>
#include <QStringList>

// The files of one folder that the convert page takes: those whose whole name matches the name
// filter and whose extension is in an extension list (".jpg;.jpeg;"). Only regular files and
// links to them are taken (FolderListing), hidden ones like any other; sub-folders are never
// entered. Never reads a file's contents.
class ImageFolderScan
{
public:
    // The pattern a filter stands for: "*" when empty, then ".*" appended ("IMG_*" → "IMG_*.*").
    static QString searchPattern(const QString &nameFilter);

    // The matching names, in the order the folder lists them. A folder that is missing or
    // unreadable gives none.
    static QStringList listNames(const QString &folder, const QString &nameFilter,
                                 const QString &extensionList);
    // DestinationNames: each matching name without its last extension, lower-cased (A to Z, or
    // further by the disk's rule), closed by ':' ("beach:tree:"). Only a first, cheap test: a key
    // found here still has its destination path checked on disk, so a colon inside a name cannot
    // mark a wrong line.
    static QString destinationNames(
        const QString &folder, const QString &nameFilter, const QString &extensionList,
        FolderProbe::CaseRule rule = FolderProbe::CaseRule::AsciiFolds);
};
