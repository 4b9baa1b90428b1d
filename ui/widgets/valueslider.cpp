// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/valueslider.h"

#include "widgets/valueslideraccessible.h"

ValueSlider::ValueSlider(QWidget *parent)
    : QSlider(parent)
{
    // Once for the process, before a screen reader can ask for the first slider.
    static const bool installed = [] {
        QAccessible::installFactory(&ValueSliderAccessible::create);
        return true;
    }();
    Q_UNUSED(installed);
}

void ValueSlider::setShownText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}
