// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "prefs/linecolourtable.h"

#include "prefs/colourcontrast.h"

int LineColourTable::position(LineStatus status)
{
    switch (status) {
    case Standard:
        return 0;
    case FileTypeError:
        return 1;
    case DuplicateError:
        return 2;
    case CollisionError:
        return 3;
    case OtherError:
        return 4;
    }
    return 0;
}

QColor LineColourTable::drawn(ColourRef colour, const QColor &background)
{
    const QColor chosen = toQColor(colour);
    if (ColourContrast::ratio(chosen, background) >= ColourContrast::Readable)
        return chosen;
    // A colour changed aims higher: the smoothed edges of thin strokes read less than their
    // colour, and the text should still read there.
    return ColourContrast::readable(chosen, {background}, ColourContrast::Readable + 0.5);
}
