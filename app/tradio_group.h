// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A titled box of exclusive choices laid out in a number of columns. ItemIndex is -1 while
// nothing is chosen.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT

public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns,
                QWidget* parent = nullptr);

    [[nodiscard]] int ItemIndex() const;
    void setItemIndex(int index);
    [[nodiscard]] QStringList Items() const { return m_items; }
    [[nodiscard]] QRadioButton* button(int index) const;

Q_SIGNALS:
    // The choice changed, by the operator or by setItemIndex.
    void OnClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutButtons();

    QStringList m_items;
    int m_columns;
    QButtonGroup* m_buttons;
    int m_lastIndex = -1;
};
