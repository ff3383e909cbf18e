// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "speed_bar_accessible.h"

#include <QAbstractSlider>

SpeedBarAccessible::SpeedBarAccessible(QAbstractSlider* speedBar)
    : QAccessibleWidget(speedBar, QAccessible::ScrollBar)
{
}

void* SpeedBarAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString SpeedBarAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value) {
        return QString::number(currentValue().toInt());
    }
    return QAccessibleWidget::text(type);
}

QStringList SpeedBarAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled()) {
        names << increaseAction() << decreaseAction();
    }
    return names;
}

void SpeedBarAccessible::doAction(const QString& actionName)
{
    // Faster is up the bar, towards the smaller position.
    if (!widget()->isEnabled() &&
        (actionName == increaseAction() || actionName == decreaseAction())) {
        return;
    }
    if (actionName == increaseAction()) {
        bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (actionName == decreaseAction()) {
        bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    } else {
        QAccessibleWidget::doAction(actionName);
    }
}

QVariant SpeedBarAccessible::currentValue() const
{
    return bar()->maximum() - bar()->value();
}

void SpeedBarAccessible::setCurrentValue(const QVariant& value)
{
    bar()->setValue(bar()->maximum() - qRound(value.toDouble()));
}

QVariant SpeedBarAccessible::maximumValue() const
{
    return bar()->maximum() - bar()->minimum();
}

QVariant SpeedBarAccessible::minimumValue() const
{
    return 0;
}

QVariant SpeedBarAccessible::minimumStepSize() const
{
    return bar()->singleStep();
}

QAbstractSlider* SpeedBarAccessible::bar() const
{
    // The constructor took nothing else.
    return static_cast<QAbstractSlider*>(widget());
}
