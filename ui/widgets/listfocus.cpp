// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/listfocus.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>

bool ListFocus::framed(const QAbstractItemView &view, int row)
{
    return view.hasFocus() && view.currentIndex().isValid() && view.currentIndex().row() == row;
}

void ListFocus::draw(QPainter &painter, const QRect &row, const QRect &cell, const QColor &colour)
{
    painter.save();
    painter.setClipRect(cell);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(row.adjusted(0, 0, -1, -1));
    painter.restore();
}

bool ListFocus::selectsCurrentRow(QAbstractItemView &view, const QKeyEvent &event)
{
    if ((event.key() != Qt::Key_Down && event.key() != Qt::Key_Up) ||
        (event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || !view.selectionModel())
        return false;
    const QModelIndex current = view.currentIndex();
    if (!current.isValid() || view.selectionModel()->isRowSelected(current.row()))
        return false;
    view.selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    return true;
}
