// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "prefs/linecolourtable.h"

#include <QLabel>

// A colour sample: its text centred on one line in the message font, in a text colour on a
// background colour, as a list line of that status would look (LineColourTable::drawn).
class CLvColorWnd : public QLabel
{
    Q_OBJECT

public:
    explicit CLvColorWnd(QWidget *parent = nullptr);

    // Repaints at once.
    void setColours(ColourRef text, ColourRef background);
    ColourRef textColour() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ColourRef m_text = 0x000000;
    ColourRef m_background = 0xFFFFFF;
};
