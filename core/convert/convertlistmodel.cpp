// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/convertlistmodel.h"

#include "convert/conversionplan.h"
#include "strings/stringtable.h"
#include "util/pathutil.h"

#include <QHash>

#include <algorithm>

#include <sys/stat.h>

int ConvertListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ConvertListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const ConversionItem &item = m_items[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return PathUtil::displayName(item.name);
    case Qt::ToolTipRole: {
        const QString meaning = marksText(item.flags(), item.sameNameOnDisk);
        const QString name = PathUtil::displayName(item.name);
        return meaning.isEmpty() ? name : loadString(MarkedName).arg(name, meaning);
    }
    case Qt::AccessibleDescriptionRole:
        return marksText(item.flags(), item.sameNameOnDisk);
    case ValueRole:
        return item.value;
    case DrawnStatusRole:
        return int(drawnStatus(item.flags()));
    default:
        return {};
    }
}

bool ConvertListModel::lessThan(const QString &a, const QString &b)
{
    const qsizetype aDot = PathUtil::extensionStart(a);
    const qsizetype bDot = PathUtil::extensionStart(b);
    if (int c = PathUtil::compareAsciiCaseInsensitive(QStringView(a).left(aDot),
                                                      QStringView(b).left(bDot)))
        return c < 0;
    if (int c = PathUtil::compareAsciiCaseInsensitive(QStringView(a).sliced(aDot),
                                                      QStringView(b).sliced(bDot)))
        return c < 0;
    return a < b;
}

void ConvertListModel::setNames(const QStringList &names)
{
    beginResetModel();
    m_items.clear();
    m_items.reserve(names.size());
    for (const QString &name : names)
        m_items.append(ConversionItem{name, 0});
    std::stable_sort(
        m_items.begin(), m_items.end(),
        [](const ConversionItem &a, const ConversionItem &b) { return lessThan(a.name, b.name); });
    endResetModel();
}

void ConvertListModel::clear()
{
    setNames({});
}

QString ConvertListModel::text(int row) const
{
    return row >= 0 && row < count() ? m_items[row].name : QString();
}

int ConvertListModel::value(int row) const
{
    return row >= 0 && row < count() ? m_items[row].value : 0;
}

void ConvertListModel::setValue(int row, int value)
{
    if (row < 0 || row >= count() || m_items[row].value == value)
        return;
    m_items[row].value = value;
    changed(row);
}

void ConvertListModel::setFlag(int row, LineStatus flag, bool on)
{
    const int v = value(row);
    setValue(row, on ? v | flag : v & ~int(flag));
}

void ConvertListModel::setRotation(int row, int degrees)
{
    setValue(row, ConversionItem::pack(flags(row), degrees));
}

bool ConvertListModel::setCaseRule(FolderProbe::CaseRule rule)
{
    const auto unicode = [](FolderProbe::CaseRule r) {
        return r == FolderProbe::CaseRule::UnicodeFolds;
    };
    const bool widens = unicode(rule) != unicode(m_caseRule);
    m_caseRule = rule;
    return widens;
}

ConvertListModel::Marks ConvertListModel::markDuplicates()
{
    // The first row of each key; a second row with the key marks both.
    QHash<QString, int> firstOfKey;
    firstOfKey.reserve(count());
    QList<bool> marked(count(), false);
    QList<bool> byDisk(count(), false);
    for (int row = 0; row < count(); ++row) {
        const QString base = PathUtil::removeExtension(m_items[row].name);
        const QString key = FolderProbe::nameKey(base, m_caseRule);
        const auto at = firstOfKey.constFind(key);
        if (at == firstOfKey.cend()) {
            firstOfKey.insert(key, row);
            continue;
        }
        const int first = at.value();
        const bool disk = !ConversionPlan::sameBaseName(m_items[first].name, m_items[row].name);
        for (const int r : {first, row}) {
            byDisk[r] = marked[r] ? byDisk[r] && disk : disk;
            marked[r] = true;
        }
    }
    Marks marks;
    for (int row = 0; row < count(); ++row) {
        if (marked[row] && !marks.found)
            marks.firstRow = row;
        marks.found = marks.found || marked[row];
        marks.diskRule = marks.diskRule || byDisk[row];
        if (m_items[row].sameNameOnDisk != byDisk[row]) {
            m_items[row].sameNameOnDisk = byDisk[row];
            changed(row);
        }
        setFlag(row, DuplicateError, marked[row]);
    }
    return marks;
}

ConvertListModel::Marks ConvertListModel::markCollisions(const QString &destinationNames,
                                                         const QString &destinationFolder,
                                                         const QString &outputExtension,
                                                         bool replaceFiles)
{
    return setCollisions(collidingRows(names(), destinationNames, destinationFolder,
                                       outputExtension, m_caseRule, replaceFiles));
}

QList<bool> ConvertListModel::collidingRows(const QStringList &names,
                                            const QString &destinationNames,
                                            const QString &destinationFolder,
                                            const QString &outputExtension,
                                            FolderProbe::CaseRule rule, bool replaceFiles)
{
    QList<bool> colliding(names.size(), false);
    if (replaceFiles)
        return colliding;
    for (qsizetype row = 0; row < names.size(); ++row) {
        if (!destinationNames.contains(ConversionPlan::destinationKey(names[row], rule)))
            continue;
        const QByteArray target = PathUtil::encodeName(
            ConversionPlan::destinationPath(destinationFolder, names[row], outputExtension));
        // Anything by that name is in the way, a dangling link too.
        struct stat status;
        colliding[row] = ::lstat(target.constData(), &status) == 0;
    }
    return colliding;
}

ConvertListModel::Marks ConvertListModel::setCollisions(const QList<bool> &colliding)
{
    Marks marks;
    for (int row = 0; row < count(); ++row) {
        const bool on = colliding.size() == count() && colliding[row];
        setFlag(row, CollisionError, on);
        if (on && !marks.found)
            marks.firstRow = row;
        marks.found = marks.found || on;
    }
    return marks;
}

QStringList ConvertListModel::names() const
{
    QStringList names;
    names.reserve(count());
    for (const ConversionItem &item : m_items)
        names.append(item.name);
    return names;
}

void ConvertListModel::clearCollisions()
{
    for (int row = 0; row < count(); ++row)
        setFlag(row, CollisionError, false);
}

ConvertListModel::Removal ConvertListModel::deleteRow(int row)
{
    Removal removal;
    if (row < 0 || row >= count())
        return removal;
    beginRemoveRows(QModelIndex(), row, row);
    m_items.removeAt(row);
    endRemoveRows();
    removal.duplicatesFound = markDuplicates().found;
    removal.rowToSelect = count() == 0 ? -1 : std::min(row, count() - 1);
    return removal;
}

LineStatus ConvertListModel::drawnStatus(int flags)
{
    if (flags & CollisionError)
        return CollisionError;
    if (flags & DuplicateError)
        return DuplicateError;
    if (flags & FileTypeError)
        return FileTypeError;
    return Standard;
}

QString ConvertListModel::marksText(int flags, bool sameNameOnDisk)
{
    QStringList meanings;
    if (flags & CollisionError)
        meanings.append(loadString(MarkExistsInDestination));
    if (flags & DuplicateError)
        meanings.append(loadString(sameNameOnDisk ? MarkSameNameOnDisk : MarkDuplicateName));
    if (flags & FileTypeError)
        meanings.append(loadString(MarkCannotBeRead));
    return meanings.join(u", ");
}

void ConvertListModel::changed(int row)
{
    const QModelIndex at = index(row);
    Q_EMIT dataChanged(
        at, at, {ValueRole, DrawnStatusRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}
