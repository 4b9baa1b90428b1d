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
    return ColourContrast::readable(toQColor(colour), {background});
}
