// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "convert/conversionitem.h"
#include "prefs/linestatus.h"
#include "util/folderprobe.h"

#include <QAbstractListModel>
#include <QList>

// The lines of the convert list, always in sorted order: by base name with A to Z folded, then
// by extension, so that every pair of lines writing the same destination name stands together
// (a.jpg, a.png, a.mpo.jpg). DisplayRole and
// ToolTipRole show a name through PathUtil::displayName; text() gives it as it is, for paths.
// A marked line says what its colour means, for screen readers (AccessibleDescriptionRole) and
// in its tooltip, so that no mark is told by colour alone.
class ConvertListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        ValueRole = Qt::UserRole + 1, // flags + rotation × 256
        DrawnStatusRole,              // the LineStatus the line is drawn in
    };

    // The result of a check: whether it marked any line, and the first line to bring into view.
    struct Marks
    {
        bool found = false;
        int firstRow = -1;
        bool diskRule = false;
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Replaces every line: the names in sorted order, all flags and rotations 0.
    void setNames(const QStringList &names);
    void clear();

    int count() const { return int(m_items.size()); }
    QString text(int row) const;
    // 0 for a row that does not exist.
    int value(int row) const;
    void setValue(int row, int value);
    // The views' flags of an index stay reachable beside the line's own.
    using QAbstractListModel::flags;
    int flags(int row) const { return ConversionItem::flagsOf(value(row)); }
    int rotation(int row) const { return ConversionItem::rotationOf(value(row)); }
    void setFlag(int row, LineStatus flag, bool on);
    void setRotation(int row, int degrees);

    // How the destination disk compares names (FolderProbe); A to Z are folded whatever it says.
    // Takes effect at the next marking; true when the duplicates must be marked anew.
    bool setCaseRule(FolderProbe::CaseRule rule);
    FolderProbe::CaseRule caseRule() const { return m_caseRule; }

    // Marks as DuplicateError every line whose base name another line has, by the case rule;
    // firstRow is the first marked line, and diskRule says whether some line is marked only
    // because the disk folds more than A to Z.
    Marks markDuplicates();
    // Marks as CollisionError every line whose destination file exists. destinationNames (keys
    // by the case rule) is the cheap first test; with replaceFiles on nothing is marked.
    Marks markCollisions(const QString &destinationNames, const QString &destinationFolder,
                         const QString &outputExtension, bool replaceFiles);
    // The same test without the list, for a thread of its own: which of names collide.
    static QList<bool> collidingRows(const QStringList &names, const QString &destinationNames,
                                     const QString &destinationFolder,
                                     const QString &outputExtension, FolderProbe::CaseRule rule,
                                     bool replaceFiles);
    // Marks the rows collidingRows() found; a list of another length marks nothing.
    Marks setCollisions(const QList<bool> &colliding);
    QStringList names() const;
    void clearCollisions();

    // The Delete key: the line leaves the list (the file stays), duplicates are marked anew
    // (collision marks stay as they were). Returns whether duplicates remain and the row to
    // select next: the same index, the new last row, or -1 for an empty list.
    struct Removal
    {
        bool duplicatesFound = false;
        int rowToSelect = -1;
    };
    Removal deleteRow(int row);

    // Collision before duplicate before file type; OtherError is never drawn in this list.
    static LineStatus drawnStatus(int flags);
    // What the marks among the flags mean, in words ("exists in destination, duplicate name");
    // empty for an unmarked line.
    static QString marksText(int flags, bool sameNameOnDisk = false);
    static bool lessThan(const QString &a, const QString &b);

private:
    void changed(int row);

    QList<ConversionItem> m_items;
    FolderProbe::CaseRule m_caseRule = FolderProbe::CaseRule::AsciiFolds;
};
