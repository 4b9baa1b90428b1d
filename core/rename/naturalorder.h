// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QStringView>

// The order people expect for file names: letters without regard to case, and every run of
// decimal digits (0 to 9) taken as one number, so that img2.jpg comes before img10.jpg. Digit
// runs of any length compare correctly; there is no overflow.
class NaturalOrder
{
public:
    // Negative, zero or positive as a sorts before, with or after b. Zero only for identical
    // texts: names that differ only in the case of a letter or in leading zeros are equal at
    // first and then ordered, fewer leading zeros first, then by the characters' code values,
    // so that a sort gives the same order every time on a file system that keeps both.
    static int compare(QStringView a, QStringView b);
    static bool lessThan(QStringView a, QStringView b) { return compare(a, b) < 0; }
};
