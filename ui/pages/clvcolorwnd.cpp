// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/clvcolorwnd.h"

#include <QApplication>
#include <QPainter>

CLvColorWnd::CLvColorWnd(QWidget *parent)
    : QLabel(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLvColorWnd::setColours(ColourRef text, ColourRef background)
{
    m_text = text;
    m_background = background;
    if (isVisible())
        repaint();
}

void CLvColorWnd::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_background));
    painter.setFont(QApplication::font("QMessageBox"));
    painter.setPen(LineColourTable::drawn(m_text, toQColor(m_background)));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}
