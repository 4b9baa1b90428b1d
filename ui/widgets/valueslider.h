// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QSlider>

// A slider whose positions stand for the numbers shown beside it, such as the JPEG quality's
// positions 0 to 20 for 0 to 100 %. Screen readers are given that number as its value and the
// text shown with it ("80% (superb)") as its description, never the bare position.
class ValueSlider : public QSlider
{
    Q_OBJECT

public:
    explicit ValueSlider(QWidget *parent = nullptr);

    // The number shown for a position is the position times the step.
    void setShownStep(int step) { m_step = step; }
    int shownStep() const { return m_step; }
    // The value as the window shows it; set whenever the value changes.
    void setShownText(const QString &text);
    QString shownText() const { return m_text; }

private:
    int m_step = 1;
    QString m_text;
};
