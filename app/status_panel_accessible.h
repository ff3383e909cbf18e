// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessibleWidget>

class QLabel;

// The status panel: named "Statuszeile" plus the received text, which is also its text. The
// text is the whole of what arrived, shaped for one line as the panel shows it.
class StatusPanelAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit StatusPanelAccessible(QLabel* panel);

    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] QString text(QAccessible::Text type) const override;

    // Read-only, one line, no caret and no selection.
    [[nodiscard]] QString text(int startOffset, int endOffset) const override;
    [[nodiscard]] int characterCount() const override;
    [[nodiscard]] int cursorPosition() const override { return 0; }
    void setCursorPosition(int /*position*/) override {}
    [[nodiscard]] int selectionCount() const override { return 0; }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
    void removeSelection(int /*selectionIndex*/) override {}
    void setSelection(int /*selectionIndex*/, int /*startOffset*/, int /*endOffset*/) override {}
    [[nodiscard]] QRect characterRect(int offset) const override;
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}
    [[nodiscard]] QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    [[nodiscard]] QString line() const;
};
