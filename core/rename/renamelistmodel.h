// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "rename/renameitem.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QStringList>

// The rename list: the files of one folder in the order in which they will be numbered and
// renamed, and the names the last scan listed (ExistingNames), against which every new name is
// tested. Three columns: 0 the current name, 1 the new name, 2 when the picture was taken (the
// file's date, told apart, when it says nothing or has not been read yet). The name and conflict
// roles answer on every column.
// Names are kept as PathUtil decodes them; DisplayRole and ToolTipRole show them through
// PathUtil::displayName, the name roles and accessors give them as they are. A row whose new
// name conflicts says so in words on both columns (ToolTipRole, AccessibleDescriptionRole), not
// only by the colour it is drawn in.
class RenameListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role
    {
        CurrentNameRole = Qt::UserRole + 1, // QString
        NewNameRole,                        // QString
        ConflictRole,                       // bool
        FileDateOnlyRole,                   // bool: the date shown is the file's, not the picture's
    };
    enum Column
    {
        CurrentNameColumn = 0,
        NewNameColumn = 1,
        DateTakenColumn = 2,
    };
    // How the rows were last ordered; None once the user has moved rows by hand.
    enum class SortOrder
    {
        None,
        Ascending,
        Descending,
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // " Current name " and " New name " for the horizontal header.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Lists the files of the folder that match the filter, in natural ascending order, and
    // makes their names the ExistingNames. The filter holds wildcard patterns separated by ';'
    // (see splitFilter); a file matching two patterns is listed twice. Only regular files (and
    // links to them) are listed, hidden ones included. An empty folder text changes nothing; a
    // missing or unreadable folder gives an empty list.
    void scanFolder(const QString &folder, const QString &filter);
    // The patterns of a filter in their order: pieces left empty by a leading, doubled or
    // trailing ';' are dropped, the others trimmed of white space. A piece made only of blanks
    // stays as an empty pattern, which matches nothing.
    static QStringList splitFilter(const QString &filter);

    // Orders the rows by current name in natural order, or by date (taken, else the file's),
    // equal dates in natural order of their names; descending reverses the order of names or
    // dates. Records the order and its column. Rows keep their new name and conflict mark.
    void sortRows(SortOrder order, Column column = CurrentNameColumn);
    SortOrder sortOrder() const { return m_sortOrder; }
    Column sortColumn() const { return m_sortColumn; }
    // For the start of a drag (None). Emits headerDataChanged, so a header that shows the order
    // repaints.
    void setSortOrder(SortOrder order);

    // The names of the last listing in its order, duplicates included: setDates answers by
    // place in this list, whatever happened to the rows since.
    const QStringList &listedNames() const { return m_listedNames; }
    // Dates taken of listedNames()[first] onwards; rows taken out meanwhile are skipped. True
    // when a row's date changed. Out-of-range answers change nothing.
    bool setDates(int first, const QList<TakenDate> &dates);
    // Rows whose date has not been read yet.
    int datesPending() const { return m_datesPending; }
    // How the date column shows a row's date: taken, or the file's (fileDateOnly) when the
    // picture says nothing or has not been read yet.
    static QString dateText(const RenameItem &item);

    int count() const { return int(m_items.size()); }
    const QList<RenameItem> &items() const { return m_items; }
    // An empty item for a row that does not exist.
    RenameItem item(int row) const;
    QString currentName(int row) const { return item(row).currentName; }
    QString newName(int row) const { return item(row).newName; }
    bool conflict(int row) const { return item(row).conflict; }

    // Takes rows out (the Delete key); nothing is recomputed, and the names stay in
    // ExistingNames because the files are still there. removeRow(row) comes with the base class.
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    // Moves row `from` so that it ends up at index `to`, the rows between moving one place
    // toward `from`, as a drag exchanging neighbours step by step would, reported to views as
    // one move. New names stay in place, since they follow the row number. False for an index
    // out of range.
    bool moveRow(int from, int to);
    using QAbstractTableModel::moveRow;
    // Qt's block move; the destination is the row before which the block is put.
    bool moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                  const QModelIndex &destinationParent, int destinationChild) override;

    // Whether the name, with A to Z folded, is one of ExistingNames. Exact: a listed name that
    // merely contains the name, or contains ':', never matches another.
    bool contains(const QString &name) const;

    // The new names of all rows in row order with their conflict marks; both lists must hold
    // one entry per row, otherwise nothing changes.
    void setNewNames(const QStringList &newNames, const QList<bool> &conflicts);
    void setNewName(int row, const QString &newName, bool conflict);
    void clearNewNames();
    void clearConflicts();

    // Discards the listing and ExistingNames; the sort order stays.
    void clear();

private:
    void rowsChanged(int first, int last);

    QList<RenameItem> m_items;
    QSet<QString> m_existingNames;
    QStringList m_listedNames;
    int m_datesPending = 0;
    SortOrder m_sortOrder = SortOrder::None;
    Column m_sortColumn = CurrentNameColumn;
};
