// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "prefs/colourcontrast.h"

#include <algorithm>
#include <cmath>

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

QColor mixed(const QColor &colour, const QColor &with, double share)
{
    const auto channel = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(channel(colour.red(), with.red()), channel(colour.green(), with.green()),
                  channel(colour.blue(), with.blue()));
}

} // namespace

double ColourContrast::ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool ColourContrast::isDark(const QColor &background)
{
    return ratio(Qt::white, background) > ratio(Qt::black, background);
}

QColor ColourContrast::readable(const QColor &colour, const QList<QColor> &backgrounds,
                                double minimum)
{
    if (backgrounds.isEmpty())
        return colour;
    const QColor extreme = isDark(backgrounds.first()) ? QColor(Qt::white) : QColor(Qt::black);
    constexpr int Steps = 64;
    for (int step = 0; step <= Steps; ++step) {
        const QColor candidate = mixed(colour, extreme, double(step) / Steps);
        if (std::all_of(backgrounds.begin(), backgrounds.end(), [&](const QColor &background) {
                return ratio(candidate, background) >= minimum;
            }))
            return candidate;
    }
    return extreme;
}
