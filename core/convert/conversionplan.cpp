// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/conversionplan.h"

#include "util/pathutil.h"

QString ConversionPlan::destinationPath(const QString &destinationFolder, const QString &name,
                                        const QString &outputExtension)
{
    return PathUtil::removeExtension(PathUtil::append(destinationFolder, name)) + outputExtension;
}

QString ConversionPlan::destinationKey(const QString &name, FolderProbe::CaseRule rule)
{
    return FolderProbe::nameKey(PathUtil::removeExtension(name), rule) + u':';
}

bool ConversionPlan::sameBaseName(const QString &a, const QString &b)
{
    return PathUtil::compareAsciiCaseInsensitive(PathUtil::removeExtension(a),
                                                 PathUtil::removeExtension(b)) == 0;
}
