// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "util/folderprobe.h"

#include <QString>

// Where a conversion writes, and the names by which lines clash.
class ConversionPlan
{
public:
    // The destination folder joined with the name, its last extension replaced by the output
    // extension: x.old.cr2 gives x.old.jpg.
    static QString destinationPath(const QString &destinationFolder, const QString &name,
                                   const QString &outputExtension);
    // The line's entry as it would stand in DestinationNames: "photo:" for "Photo.PNG"; on a
    // disk that folds more than A to Z, by its rule.
    static QString destinationKey(const QString &name,
                                  FolderProbe::CaseRule rule = FolderProbe::CaseRule::AsciiFolds);
    // The base names of two lines, compared with A to Z folded.
    static bool sameBaseName(const QString &a, const QString &b);
};
