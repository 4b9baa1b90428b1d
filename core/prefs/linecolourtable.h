// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "prefs/linestatus.h"

#include <QColor>
#include <QtGlobal>

#include <array>

// A colour as 0x00BBGGRR: red in the lowest byte, the top byte zero. This is the layout
// of the preferences file; it becomes a QColor only when drawn.
using ColourRef = quint32;

// One text colour per LineStatus, in the order Standard, FileTypeError, DuplicateError,
// CollisionError, OtherError (table positions 0 to 4).
class LineColourTable
{
public:
    static constexpr int Size = 5;

    static int position(LineStatus status);

    ColourRef colour(LineStatus status) const { return m_colours[position(status)]; }
    void setColour(LineStatus status, ColourRef colour) { m_colours[position(status)] = colour; }

    ColourRef at(int position) const { return m_colours[position]; }
    void setAt(int position, ColourRef colour) { m_colours[position] = colour; }

    bool operator==(const LineColourTable &) const = default;

    // The rule every list, sample and status text is drawn by: the colour itself where it reads
    // on the background, otherwise the nearest colour that does (ColourContrast::readable). The
    // table keeps what the user chose.
    static QColor drawn(ColourRef colour, const QColor &background);

private:
    std::array<ColourRef, Size> m_colours{};
};

// The colour a selected line is drawn in: each of red, green and blue inverted.
inline constexpr ColourRef complementColour(ColourRef colour)
{
    return colour ^ 0xFFFFFFu;
}

inline QColor toQColor(ColourRef colour)
{
    return QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

inline ColourRef toColourRef(const QColor &colour)
{
    return ColourRef(colour.red()) | ColourRef(colour.green()) << 8 |
           ColourRef(colour.blue()) << 16;
}
