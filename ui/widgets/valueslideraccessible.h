// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class ValueSlider;

// What screen readers learn of a ValueSlider: the numbers it shows rather than its positions, and
// a value set through them (85 for 85 %) moves it to the nearest position.
class ValueSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ValueSliderAccessible(ValueSlider *slider);

    // For QAccessible::installFactory: the interface of a ValueSlider, null for anything else.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    ValueSlider *slider() const;
};
