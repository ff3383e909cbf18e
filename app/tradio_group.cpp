// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tradio_group.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& itemTexts, int columnCount,
                         QWidget* parent)
    : QGroupBox(caption, parent), m_items(itemTexts), m_columns(qMax(1, columnCount)),
      m_buttons(new QButtonGroup(this))
{
    // Unnamed, a group inside a titled box would be announced under the outer box's title.
    setAccessibleName(caption);
    for (int i = 0; i < m_items.size(); ++i) {
        auto* radio = new QRadioButton(m_items.at(i), this);
        m_buttons->addButton(radio, i);
    }
    connect(m_buttons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        const int index = ItemIndex();
        if (checked && index != m_lastIndex) {
            m_lastIndex = index;
            Q_EMIT OnClick();
        }
    });
    layoutButtons();
}

int TRadioGroup::ItemIndex() const
{
    return m_buttons->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (index == ItemIndex()) {
        return;
    }
    if (index < 0 || index >= m_items.size()) {
        // An exclusive group refuses to uncheck its last button; lift that for a moment.
        m_buttons->setExclusive(false);
        if (auto* checked = m_buttons->checkedButton()) {
            checked->setChecked(false);
        }
        m_buttons->setExclusive(true);
        m_lastIndex = -1;
        return;
    }
    m_buttons->button(index)->setChecked(true);
}

QRadioButton* TRadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(m_buttons->button(index));
}

void TRadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    layoutButtons();
}

void TRadioGroup::layoutButtons()
{
    if (m_items.isEmpty()) {
        return;
    }
    // Buttons share the area below the title evenly, column by column, as a grid.
    const int titleHeight = fontMetrics().height();
    const int left = 8;
    const int top = titleHeight + 1;
    const int rows = (static_cast<int>(m_items.size()) + m_columns - 1) / m_columns;
    const int columnWidth = (width() - 2 * left + 8) / m_columns;
    const int rowHeight = qMax(1, (height() - top - 4) / rows);
    for (int i = 0; i < m_items.size(); ++i) {
        const int column = i / rows;
        const int row = i % rows;
        const int buttonHeight = qMin(rowHeight, titleHeight + 4);
        m_buttons->button(i)->setGeometry(left + column * columnWidth,
                                          top + row * rowHeight + (rowHeight - buttonHeight) / 2,
                                          columnWidth - 2, buttonHeight);
    }
}
