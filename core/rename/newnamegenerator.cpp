// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/newnamegenerator.h"

#include "rename/renamelistmodel.h"
#include "strings/stringtable.h"
#include "util/pathutil.h"

#include <algorithm>

NewNameGenerator::Marks NewNameGenerator::computeNewNames(RenameListModel &list,
                                                          NumberingSettings &settings)
{
    Marks marks;
    settings.conflictFound = false;
    if (!settings.digitCount || settings.baseName.isEmpty())
        return marks;

    QStringList names;
    QList<bool> conflicts;
    names.reserve(list.count());
    conflicts.reserve(list.count());
    for (int row = 0; row < list.count(); ++row) {
        // 64 bits: rows numbered past 2^31 - 1 go on counting instead of wrapping to negative.
        const qint64 number = qint64(settings.startNumber) + row;
        QString name =
            newName(settings.baseName, *settings.digitCount, number, list.currentName(row));
        const bool conflict = list.contains(name);
        if (conflict && !marks.conflictFound) {
            marks.conflictFound = true;
            marks.firstConflictRow = row;
        }
        names.append(std::move(name));
        conflicts.append(conflict);
    }
    list.setNewNames(names, conflicts);
    settings.conflictFound = marks.conflictFound;
    return marks;
}

NewNameGenerator::Refresh NewNameGenerator::refreshNewNames(RenameListModel &list,
                                                            NumberingSettings &settings,
                                                            const QString &baseName, int digitCount,
                                                            int startNumber)
{
    Refresh refresh;
    list.clearConflicts();
    settings.baseName = baseName;
    if (baseName.isEmpty())
        return refresh;
    settings.digitCount = digitCount;
    settings.startNumber = startNumber;
    refresh.computed = true;
    refresh.marks = computeNewNames(list, settings);
    if (refresh.marks.conflictFound)
        refresh.message = loadString(RenameConflicts);
    return refresh;
}

QString NewNameGenerator::newName(const QString &baseName, int digitCount, qint64 number,
                                  const QString &currentName)
{
    const bool negative = number < 0;
    const quint64 magnitude = negative ? 0 - quint64(number) : quint64(number);
    QString digits = QString::number(magnitude);
    const qsizetype width = qsizetype(digitCount) - (negative ? 1 : 0);
    if (digits.size() < width)
        digits.prepend(QString(width - digits.size(), u'0'));
    if (negative)
        digits.prepend(u'-');
    return baseName + digits + PathUtil::extension(currentName);
}

int NewNameGenerator::startNumberFromText(QStringView text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

int NewNameGenerator::minimumDigitsForCount(qint64 rowCount)
{
    return int(std::clamp<qsizetype>(QString::number(std::max<qint64>(rowCount, 0)).size(), 1,
                                     MaximumDigits));
}

int NewNameGenerator::digitsForLastNumber(qint64 rowCount, qint64 startNumber)
{
    return int(QString::number(rowCount + startNumber).size());
}
