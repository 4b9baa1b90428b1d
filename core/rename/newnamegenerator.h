// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "rename/numberingsettings.h"

#include <QString>
#include <QStringView>

class RenameListModel;

// New names: base name, running number padded with zeros, the current name's extension; and
// the rules by which the rename page offers a number of digits.
class NewNameGenerator
{
public:
    // The digits control never goes beyond this.
    static constexpr int MaximumDigits = 9;

    struct Marks
    {
        bool conflictFound = false;
        // The first row whose new name is a listed name, to bring into view; -1 when none.
        int firstConflictRow = -1;
    };

    // ComputeNewNames: writes every row's new name and conflict mark and settings.conflictFound.
    // With an empty base name or no digit count nothing changes and no conflict is reported.
    static Marks computeNewNames(RenameListModel &list, NumberingSettings &settings);

    // What the page shows after refreshNewNames. The page first clears its status line.
    struct Refresh
    {
        // False when the base name is empty: the rows keep the new names they show and the
        // "Renumber" button keeps its state.
        bool computed = false;
        Marks marks;
        // Enable "Renumber" when computed and no conflict was found.
        bool renumberEnabled() const { return computed && !marks.conflictFound; }
        // "Conflicts in file names!" when a conflict was found, to show as an error with a
        // beep; empty otherwise.
        QString message;
    };
    // RefreshNewNames: clears every conflict mark, stores the base name and, unless it is
    // empty, the digit count and start number, then computes.
    static Refresh refreshNewNames(RenameListModel &list, NumberingSettings &settings,
                                   const QString &baseName, int digitCount, int startNumber);

    // The new name of a file: base name, number (decimal, zero-padded to digitCount, never
    // cut; a minus sign counts as one of the digits, as printf's %0Nd does), extension of the
    // current name (from its last dot; none when there is no dot).
    static QString newName(const QString &baseName, int digitCount, qint64 number,
                           const QString &currentName);
    // The start-number edit's value: a signed 32-bit whole number, 0 when the text is empty or
    // is not one.
    static int startNumberFromText(QStringView text);
    // The least number of digits offered after a scan of rowCount rows: as many as rowCount
    // has, at least 1 and at most MaximumDigits.
    static int minimumDigitsForCount(qint64 rowCount);
    // The length of the decimal text of rowCount + startNumber, a minus sign included. The
    // page caps what it takes from this at MaximumDigits.
    static int digitsForLastNumber(qint64 rowCount, qint64 startNumber);
};
