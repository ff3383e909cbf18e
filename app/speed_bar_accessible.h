// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessibleWidget>

class QAbstractSlider;

// The speed bar: its position counts down from the standstill at the bottom, its value is the
// speed, maximum minus position, as the locomotive line carries it.
class SpeedBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit SpeedBarAccessible(QAbstractSlider* bar);

    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] QString text(QAccessible::Text type) const override;
    [[nodiscard]] QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    [[nodiscard]] QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    [[nodiscard]] QVariant maximumValue() const override;
    [[nodiscard]] QVariant minimumValue() const override;
    [[nodiscard]] QVariant minimumStepSize() const override;

private:
    [[nodiscard]] QAbstractSlider* bar() const;
};
