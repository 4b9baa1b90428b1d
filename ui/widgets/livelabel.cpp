// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/livelabel.h"

LiveLabel::LiveLabel(QWidget *parent)
    : QLabel(parent)
{}

void LiveLabel::setTitle(const QString &title)
{
    m_title = title;
    setAccessibleName(m_title.isEmpty() ? text() : m_title + u' ' + text());
}

void LiveLabel::setLiveText(const QString &text)
{
    const QString name = m_title.isEmpty() ? text : m_title + u' ' + text;
    // QLabel raises a name change of its own whenever its text changes while the accessible
    // name is empty; the order keeps it to the one that setAccessibleName raises.
    if (name.isEmpty()) {
        QLabel::setText(text);
        setAccessibleName(name);
    } else {
        setAccessibleName(name);
        QLabel::setText(text);
    }
}
