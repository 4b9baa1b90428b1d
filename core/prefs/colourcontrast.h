// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QColor>
#include <QList>

// How well a text colour reads on a background, as the contrast ratio of the web content
// accessibility guidelines: 1 (the same luminance) to 21 (black on white).
class ColourContrast
{
public:
    static constexpr double Readable = 4.5;
    // Icons and other marks that are not text.
    static constexpr double ReadableMark = 3.0;

    static double ratio(const QColor &a, const QColor &b);
    // A background on which white text reads better than black.
    static bool isDark(const QColor &background);
    // The colour itself when it reaches the minimum on every background; otherwise the colour
    // mixed with as little white (on a dark first background) or black (on a light one) as
    // reaches it, so that its hue stays recognisable.
    static QColor readable(const QColor &colour, const QList<QColor> &backgrounds,
                           double minimum = Readable);
};
