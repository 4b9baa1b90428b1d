// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QLabel>

// A label that screen readers follow: its accessible name is its title, when it has one,
// followed by its text, and every write raises exactly one name change, also when the text is
// the same as before, so that a reader announces each message.
class LiveLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LiveLabel(QWidget *parent = nullptr);

    // What the text is, for a reader ("Number of images :"); empty by default.
    void setTitle(const QString &title);
    QString title() const { return m_title; }

    // Shows the text and makes it the accessible name, with one name change. QLabel::setText
    // changes the text alone, unannounced.
    void setLiveText(const QString &text);

private:
    QString m_title;
};
