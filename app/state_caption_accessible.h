// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

// A push button whose caption is a state: its name is "<label>: <caption>", so a screen reader
// says what the button shows and what the next command sends. The caption's change already
// reports a new name.
class StateCaptionAccessible : public QAccessibleWidget
{
public:
    explicit StateCaptionAccessible(QAbstractButton* button);

    [[nodiscard]] QString text(QAccessible::Text type) const override;
    [[nodiscard]] QAccessible::State state() const override;
    [[nodiscard]] QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    [[nodiscard]] QAbstractButton* button() const;
};
