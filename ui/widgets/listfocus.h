// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QColor>
#include <QRect>

class QAbstractItemView;
class QKeyEvent;
class QPainter;

// Where the keyboard is in a list whose delegate draws its own rows: the current row framed in
// its text colour, which reads on the row by the line colour rule, while the list has the focus.
class ListFocus
{
public:
    // Whether the row is the one to frame: current, in a list that has the focus.
    static bool framed(const QAbstractItemView &view, int row);
    // Draws the part of the row's frame that lies in the cell (a table draws a row per cell).
    static void draw(QPainter &painter, const QRect &row, const QRect &cell, const QColor &colour);
    // Up or Down on a current row that is not selected (the list was just entered) selects that
    // row rather than its neighbour, so that the first Down lands on the first row. Returns
    // whether the key was taken.
    static bool selectsCurrentRow(QAbstractItemView &view, const QKeyEvent &event);
};
