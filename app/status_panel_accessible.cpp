// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "status_panel_accessible.h"

#include "tstatus_bar.h"

#include <QLabel>

#include <algorithm>

StatusPanelAccessible::StatusPanelAccessible(QLabel* panel)
    : QAccessibleWidget(panel, QAccessible::StaticText)
{
}

void* StatusPanelAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString StatusPanelAccessible::text(QAccessible::Text type) const
{
    switch (type) {
    case QAccessible::Name: {
        const QString caption = widget()->accessibleName();
        const QString shown = line();
        return shown.isEmpty() ? caption : caption + QStringLiteral(": ") + shown;
    }
    case QAccessible::Value:
        return line();
    case QAccessible::Description:
        // The tooltip repeats the text, which the name already carries.
        return QString();
    default:
        return QAccessibleWidget::text(type);
    }
}

QString StatusPanelAccessible::text(int startOffset, int endOffset) const
{
    const QString shown = line();
    const qsizetype start = std::clamp<qsizetype>(startOffset, 0, shown.size());
    const qsizetype end =
        endOffset < 0 ? shown.size() : std::clamp<qsizetype>(endOffset, start, shown.size());
    return shown.mid(start, end - start);
}

int StatusPanelAccessible::characterCount() const
{
    return static_cast<int>(line().size());
}

void StatusPanelAccessible::selection(int /*selectionIndex*/, int* startOffset,
                                      int* endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QRect StatusPanelAccessible::characterRect(int /*offset*/) const
{
    // Most of a reply lies beyond the narrow panel; no character has a place to point at.
    return {};
}

int StatusPanelAccessible::offsetAtPoint(const QPoint& /*point*/) const
{
    return -1;
}

QString StatusPanelAccessible::attributes(int /*offset*/, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

QString StatusPanelAccessible::line() const
{
    const auto* bar = qobject_cast<const TStatusBar*>(widget()->parentWidget());
    return bar != nullptr ? bar->panelLine() : QString();
}
