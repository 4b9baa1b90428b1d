// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QIcon>
#include <QPalette>
#include <QString>

// The program's own icons are of one colour, chosen for a light button. On a palette where that
// colour would not stand out from the button (3:1, ColourContrast::ReadableMark) the icon is
// drawn in the palette's button text colour instead.
class ReadableIcon
{
public:
    static QIcon load(const QString &path, const QPalette &palette);
};
