// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "state_caption_accessible.h"

#include <QAbstractButton>

StateCaptionAccessible::StateCaptionAccessible(QAbstractButton* button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

QString StateCaptionAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Name) {
        const QString caption = button()->text();
        const QString label = widget()->accessibleName();
        return label.isEmpty() ? caption : label + QStringLiteral(": ") + caption;
    }
    return QAccessibleWidget::text(type);
}

QAccessible::State StateCaptionAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = button()->isDown();
    return state;
}

QStringList StateCaptionAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled()) {
        names.prepend(pressAction());
    }
    return names;
}

void StateCaptionAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction()) {
        if (widget()->isEnabled()) {
            // As a mouse click looks: down for a moment, then the click.
            button()->animateClick();
        }
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QAbstractButton* StateCaptionAccessible::button() const
{
    // The constructor took nothing else.
    return static_cast<QAbstractButton*>(widget());
}
