// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/convertlistmodel.h"

#include "convert/conversionplan.h"
#include "resources/stringtable.h"
#include "util/pathutil.h"

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
        const QString meaning = marksText(item.flags());
        const QString name = PathUtil::displayName(item.name);
        return meaning.isEmpty() ? name : loadString(MarkedName).arg(name, meaning);
    }
    case Qt::AccessibleDescriptionRole:
        return marksText(item.flags());
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

ConvertListModel::Marks ConvertListModel::markDuplicates()
{
    Marks marks;
    if (count() > 0)
        setFlag(0, DuplicateError, false);
    for (int row = 1; row < count(); ++row) {
        setFlag(row, DuplicateError, false);
        if (ConversionPlan::sameBaseName(m_items[row - 1].name, m_items[row].name)) {
            if (!marks.found)
                marks.firstRow = row - 1;
            marks.found = true;
            setFlag(row - 1, DuplicateError, true);
            setFlag(row, DuplicateError, true);
        }
    }
    return marks;
}

ConvertListModel::Marks ConvertListModel::markCollisions(const QString &destinationNames,
                                                         const QString &destinationFolder,
                                                         const QString &outputExtension,
                                                         bool replaceFiles)
{
    Marks marks;
    for (int row = 0; row < count(); ++row) {
        setFlag(row, CollisionError, false);
        if (replaceFiles)
            continue;
        const QString &name = m_items[row].name;
        if (!destinationNames.contains(ConversionPlan::destinationKey(name)))
            continue;
        const QByteArray target = PathUtil::encodeName(
            ConversionPlan::destinationPath(destinationFolder, name, outputExtension));
        // Anything by that name is in the way, a dangling link too.
        struct stat status;
        if (::lstat(target.constData(), &status) == 0) {
            setFlag(row, CollisionError, true);
            if (!marks.found)
                marks.firstRow = row;
            marks.found = true;
        }
    }
    return marks;
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

QString ConvertListModel::marksText(int flags)
{
    QStringList meanings;
    if (flags & CollisionError)
        meanings.append(loadString(MarkExistsInDestination));
    if (flags & DuplicateError)
        meanings.append(loadString(MarkDuplicateName));
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
