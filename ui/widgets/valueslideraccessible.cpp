// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/valueslideraccessible.h"

#include "widgets/valueslider.h"

#include <cmath>

ValueSliderAccessible::ValueSliderAccessible(ValueSlider *slider)
    : QAccessibleWidget(slider, QAccessible::Slider)
{}

QAccessibleInterface *ValueSliderAccessible::create(const QString &className, QObject *object)
{
    if (className != QLatin1StringView(ValueSlider::staticMetaObject.className()))
        return nullptr;
    return new ValueSliderAccessible(static_cast<ValueSlider *>(object));
}

ValueSlider *ValueSliderAccessible::slider() const
{
    return static_cast<ValueSlider *>(widget());
}

void *ValueSliderAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ValueSliderAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value ||
        (type == QAccessible::Description && widget()->accessibleDescription().isEmpty()))
        return slider()->shownText();
    return QAccessibleWidget::text(type);
}

QVariant ValueSliderAccessible::currentValue() const
{
    return slider()->value() * slider()->shownStep();
}

void ValueSliderAccessible::setCurrentValue(const QVariant &value)
{
    slider()->setValue(int(std::lround(value.toDouble() / slider()->shownStep())));
}

QVariant ValueSliderAccessible::maximumValue() const
{
    return slider()->maximum() * slider()->shownStep();
}

QVariant ValueSliderAccessible::minimumValue() const
{
    return slider()->minimum() * slider()->shownStep();
}

QVariant ValueSliderAccessible::minimumStepSize() const
{
    return slider()->singleStep() * slider()->shownStep();
}
