// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/renamelistmodel.h"

#include "rename/naturalorder.h"
#include "strings/stringtable.h"
#include "util/folderlisting.h"
#include "util/pathutil.h"
#include "util/wildcardmatcher.h"

#include <QDateTime>

#include <algorithm>
#include <numeric>

int RenameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int RenameListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant RenameListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const RenameItem &row = m_items[index.row()];
    const bool dateColumn = index.column() == DateTakenColumn;
    const bool fileDateOnly = row.dateRead && !row.taken.microseconds;
    switch (role) {
    case Qt::DisplayRole:
        if (dateColumn)
            return dateText(row);
        return PathUtil::displayName(index.column() == CurrentNameColumn ? row.currentName
                                                                         : row.newName);
    case Qt::ToolTipRole: {
        if (dateColumn)
            return fileDateOnly ? loadString(FileDateOnly) : dateText(row);
        const QString name = PathUtil::displayName(
            index.column() == CurrentNameColumn ? row.currentName : row.newName);
        return row.conflict ? loadString(MarkedName).arg(name, loadString(MarkNameConflict)) : name;
    }
    case Qt::AccessibleDescriptionRole:
        if (dateColumn)
            return fileDateOnly ? loadString(FileDateOnly) : QString();
        return row.conflict ? loadString(MarkNameConflict) : QString();
    case CurrentNameRole:
        return row.currentName;
    case NewNameRole:
        return row.newName;
    case ConflictRole:
        return row.conflict;
    case FileDateOnlyRole:
        return fileDateOnly;
    default:
        return {};
    }
}

QString RenameListModel::dateText(const RenameItem &item)
{
    if (!item.dateRead)
        return {};
    const qint64 microseconds = item.dateKey();
    // Floored, so that a date before 1970 keeps its second.
    const qint64 milliseconds = microseconds / 1000 - (microseconds % 1000 < 0 ? 1 : 0);
    QString text = QDateTime::fromMSecsSinceEpoch(milliseconds)
                       .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (item.taken.microseconds && item.taken.subSeconds) {
        const qint64 fraction = ((microseconds % 1'000'000) + 1'000'000) % 1'000'000;
        QString digits = QString::number(fraction).rightJustified(6, u'0');
        while (digits.size() > 1 && digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.' + digits;
    }
    return text;
}

QVariant RenameListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    // The glyph's meaning, for a reader.
    if (role == Qt::AccessibleDescriptionRole) {
        if (m_sortOrder == SortOrder::None || section != m_sortColumn)
            return {};
        return loadString(m_sortOrder == SortOrder::Ascending ? SortedAscendingHeader
                                                              : SortedDescendingHeader);
    }
    if (role != Qt::DisplayRole)
        return {};
    if (section == CurrentNameColumn)
        return loadString(ColumnCurrentName);
    if (section == NewNameColumn)
        return loadString(ColumnNewName);
    if (section == DateTakenColumn)
        return loadString(ColumnDateTaken);
    return {};
}

Qt::ItemFlags RenameListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QStringList RenameListModel::splitFilter(const QString &filter)
{
    QStringList patterns;
    for (const QString &piece : filter.split(u';', Qt::SkipEmptyParts))
        patterns.append(piece.trimmed());
    return patterns;
}

void RenameListModel::scanFolder(const QString &folder, const QString &filter)
{
    if (folder.isEmpty())
        return;
    // Regular files and links to them only: a FIFO or device is nothing to number. The folder
    // is read once; each pattern then takes its matches in the folder's own order.
    const QList<FolderListing::File> entries = FolderListing::regularFiles(folder);
    QList<RenameItem> items;
    QSet<QString> existing;
    for (const QString &pattern : splitFilter(filter)) {
        if (pattern.isEmpty())
            continue;
        for (const FolderListing::File &file : entries) {
            if (WildcardMatcher::matches(pattern, file.name)) {
                RenameItem item;
                item.currentName = file.name;
                item.fileDate = file.modified;
                items.append(item);
                existing.insert(PathUtil::asciiLower(file.name));
            }
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const RenameItem &a, const RenameItem &b) {
        return NaturalOrder::lessThan(a.currentName, b.currentName);
    });

    QStringList listed;
    listed.reserve(items.size());
    for (RenameItem &item : items) {
        item.listed = int(listed.size());
        listed.append(item.currentName);
    }

    beginResetModel();
    m_items = std::move(items);
    m_existingNames = std::move(existing);
    m_listedNames = std::move(listed);
    m_datesPending = count();
    endResetModel();
    m_sortColumn = CurrentNameColumn;
    setSortOrder(SortOrder::Ascending);
    Q_EMIT headerDataChanged(Qt::Horizontal, CurrentNameColumn, DateTakenColumn);
}

void RenameListModel::sortRows(SortOrder order, Column column)
{
    if (order == SortOrder::None) {
        setSortOrder(order);
        return;
    }
    const bool descending = order == SortOrder::Descending;
    const bool byDate = column == DateTakenColumn;
    QList<int> oldRowAt(count());
    std::iota(oldRowAt.begin(), oldRowAt.end(), 0);
    std::stable_sort(oldRowAt.begin(), oldRowAt.end(), [&](int x, int y) {
        const qint64 dateX = m_items[x].dateKey();
        const qint64 dateY = m_items[y].dateKey();
        if (byDate && dateX != dateY)
            return descending ? dateX > dateY : dateX < dateY;
        // Shots of one moment stay in the order of their names.
        const int c = NaturalOrder::compare(m_items[x].currentName, m_items[y].currentName);
        return descending && !byDate ? c > 0 : c < 0;
    });

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<RenameItem> sorted;
    sorted.reserve(count());
    QList<int> newRowOf(count());
    for (int row = 0; row < count(); ++row) {
        sorted.append(std::move(m_items[oldRowAt[row]]));
        newRowOf[oldRowAt[row]] = row;
    }
    m_items = std::move(sorted);
    // Selections and current rows follow their files.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &at : before)
        after.append(index(newRowOf[at.row()], at.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    const bool columnChanged = m_sortColumn != (byDate ? DateTakenColumn : CurrentNameColumn);
    m_sortColumn = byDate ? DateTakenColumn : CurrentNameColumn;
    if (columnChanged && m_sortOrder == order)
        Q_EMIT headerDataChanged(Qt::Horizontal, CurrentNameColumn, DateTakenColumn);
    setSortOrder(order);
}

void RenameListModel::setSortOrder(SortOrder order)
{
    if (m_sortOrder == order)
        return;
    m_sortOrder = order;
    Q_EMIT headerDataChanged(Qt::Horizontal, CurrentNameColumn, DateTakenColumn);
}

bool RenameListModel::setDates(int first, const QList<TakenDate> &dates)
{
    if (first < 0 || first > m_listedNames.size() - dates.size())
        return false;
    QList<int> rowOf(m_listedNames.size(), -1);
    for (int row = 0; row < count(); ++row)
        rowOf[m_items[row].listed] = row;
    bool changed = false;
    for (int i = 0; i < dates.size(); ++i) {
        const int row = rowOf[first + i];
        if (row < 0 || m_items[row].dateRead)
            continue;
        RenameItem &item = m_items[row];
        item.dateRead = true;
        --m_datesPending;
        changed = changed || item.taken != dates[i];
        item.taken = dates[i];
    }
    // One change for the whole column: a reader's bridge handles one event, not one per row.
    if (count() > 0)
        Q_EMIT dataChanged(index(0, DateTakenColumn), index(count() - 1, DateTakenColumn));
    return changed;
}

RenameItem RenameListModel::item(int row) const
{
    return row >= 0 && row < count() ? m_items[row] : RenameItem{};
}

bool RenameListModel::removeRows(int row, int rows, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || rows <= 0 || row > count() - rows)
        return false;
    beginRemoveRows(QModelIndex(), row, row + rows - 1);
    for (int at = row; at < row + rows; ++at)
        m_datesPending -= m_items[at].dateRead ? 0 : 1;
    m_items.remove(row, rows);
    endRemoveRows();
    return true;
}

bool RenameListModel::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= count() || to >= count())
        return false;
    if (from == to)
        return true;
    return moveRows(QModelIndex(), from, 1, QModelIndex(), to > from ? to + 1 : to);
}

bool RenameListModel::moveRows(const QModelIndex &sourceParent, int sourceRow, int rows,
                               const QModelIndex &destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || sourceRow < 0 || rows <= 0 ||
        sourceRow > count() - rows || destinationChild < 0 || destinationChild > count())
        return false;
    if (!beginMoveRows(QModelIndex(), sourceRow, sourceRow + rows - 1, QModelIndex(),
                       destinationChild))
        return false;
    const int first = std::min(sourceRow, destinationChild);
    const int last = std::max(sourceRow + rows, destinationChild) - 1;
    QStringList newNames;
    for (int row = first; row <= last; ++row)
        newNames.append(m_items[row].newName);

    const auto begin = m_items.begin();
    if (destinationChild > sourceRow)
        std::rotate(begin + sourceRow, begin + sourceRow + rows, begin + destinationChild);
    else
        std::rotate(begin + destinationChild, begin + sourceRow, begin + sourceRow + rows);

    bool anyNewName = false;
    for (int row = first; row <= last; ++row) {
        anyNewName = anyNewName || !newNames[row - first].isEmpty();
        m_items[row].newName = newNames[row - first];
    }
    endMoveRows();
    // The views moved the new names with their rows; they belong to the row numbers.
    if (anyNewName)
        Q_EMIT dataChanged(index(first, NewNameColumn), index(last, NewNameColumn),
                           {Qt::DisplayRole, Qt::ToolTipRole, NewNameRole});
    return true;
}

bool RenameListModel::contains(const QString &name) const
{
    return m_existingNames.contains(PathUtil::asciiLower(name));
}

void RenameListModel::setNewNames(const QStringList &newNames, const QList<bool> &conflicts)
{
    if (newNames.size() != count() || conflicts.size() != count())
        return;
    for (int row = 0; row < count(); ++row) {
        m_items[row].newName = newNames[row];
        m_items[row].conflict = conflicts[row];
    }
    rowsChanged(0, count() - 1);
}

void RenameListModel::setNewName(int row, const QString &newName, bool conflict)
{
    if (row < 0 || row >= count())
        return;
    m_items[row].newName = newName;
    m_items[row].conflict = conflict;
    rowsChanged(row, row);
}

void RenameListModel::clearNewNames()
{
    for (RenameItem &row : m_items)
        row.newName.clear();
    rowsChanged(0, count() - 1);
}

void RenameListModel::clearConflicts()
{
    for (RenameItem &row : m_items)
        row.conflict = false;
    rowsChanged(0, count() - 1);
}

void RenameListModel::clear()
{
    beginResetModel();
    m_items.clear();
    m_existingNames.clear();
    m_listedNames.clear();
    m_datesPending = 0;
    endResetModel();
}

void RenameListModel::rowsChanged(int first, int last)
{
    if (first <= last)
        Q_EMIT dataChanged(index(first, CurrentNameColumn), index(last, NewNameColumn));
}
