// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/imagefolderscan.h"

#include "convert/conversionplan.h"

#include "util/folderlisting.h"
#include "util/pathutil.h"
#include "util/wildcardmatcher.h"

using namespace Qt::Literals::StringLiterals;

QString ImageFolderScan::searchPattern(const QString &nameFilter)
{
    return (nameFilter.isEmpty() ? u"*"_s : nameFilter) + u".*"_s;
}

QStringList ImageFolderScan::listNames(const QString &folder, const QString &nameFilter,
                                       const QString &extensionList)
{
    if (folder.isEmpty())
        return {};
    const QString pattern = searchPattern(nameFilter);
    // Regular files and links to them only: a FIFO or socket would block or fail a conversion.
    const QStringList entries = FolderListing::regularFileNames(folder);
    QStringList names;
    for (const QString &name : entries) {
        if (WildcardMatcher::matches(pattern, name) &&
            PathUtil::extensionMatches(name, extensionList))
            names.append(name);
    }
    return names;
}

QString ImageFolderScan::destinationNames(const QString &folder, const QString &nameFilter,
                                          const QString &extensionList,
                                          FolderProbe::CaseRule rule)
{
    QString names;
    for (const QString &name : listNames(folder, nameFilter, extensionList))
        names += ConversionPlan::destinationKey(name, rule);
    return names;
}
