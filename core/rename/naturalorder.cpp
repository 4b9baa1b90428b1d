// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/naturalorder.h"

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

qsizetype digitRunEnd(QStringView text, qsizetype from)
{
    while (from < text.size() && isDigit(text[from]))
        ++from;
    return from;
}

// Compares two runs of digits by value without converting them: once leading zeros are gone,
// the longer run is the larger number, and runs of equal length compare digit by digit.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.sliced(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.sliced(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return sign(a.compare(b));
}

} // namespace

int NaturalOrder::compare(QStringView a, QStringView b)
{
    // Ties of the case-blind, by-value comparison are broken by the first of these found.
    int zerosTie = 0;
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const qsizetype ie = digitRunEnd(a, i);
            const qsizetype je = digitRunEnd(b, j);
            if (int c = compareNumbers(a.sliced(i, ie - i), b.sliced(j, je - j)))
                return c;
            // Same value: the shorter run has fewer leading zeros.
            if (zerosTie == 0 && ie - i != je - j)
                zerosTie = ie - i < je - j ? -1 : 1;
            i = ie;
            j = je;
            continue;
        }
        const char16_t ca = a[i].toCaseFolded().unicode();
        const char16_t cb = b[j].toCaseFolded().unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    if (zerosTie != 0)
        return zerosTie;
    return sign(a.compare(b));
}
