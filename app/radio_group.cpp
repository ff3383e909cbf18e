#include "radio_group.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& itemTexts, int columnCount,
                         QWidget* parent)
    : QGroupBox(caption, parent), items(itemTexts), columns(qMax(1, columnCount)),
      buttons(new QButtonGroup(this))
{
    // Unnamed, a group inside a titled box would be announced under the outer box's title.
    setAccessibleName(caption);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items.at(i), this);
        buttons->addButton(radio, i);
    }
    connect(buttons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        const int index = ItemIndex();
        if (checked && index != lastIndex) {
            lastIndex = index;
            Q_EMIT OnClick();
        }
    });
    layoutButtons();
}

int TRadioGroup::ItemIndex() const
{
    return buttons->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (index == ItemIndex()) {
        return;
    }
    if (index < 0 || index >= items.size()) {
        // An exclusive group refuses to uncheck its last button; lift that for a moment.
        buttons->setExclusive(false);
        if (auto* checked = buttons->checkedButton()) {
            checked->setChecked(false);
        }
        buttons->setExclusive(true);
        lastIndex = -1;
        return;
    }
    buttons->button(index)->setChecked(true);
}

QRadioButton* TRadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(buttons->button(index));
}

void TRadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    layoutButtons();
}

void TRadioGroup::layoutButtons()
{
    if (items.isEmpty()) {
        return;
    }
    // Buttons share the area below the title evenly, column by column, as a grid.
    const int titleHeight = fontMetrics().height();
    const int left = 8;
    const int top = titleHeight + 1;
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    const int columnWidth = (width() - 2 * left + 8) / columns;
    const int rowHeight = qMax(1, (height() - top - 4) / rows);
    for (int i = 0; i < items.size(); ++i) {
        const int column = i / rows;
        const int row = i % rows;
        const int buttonHeight = qMin(rowHeight, titleHeight + 4);
        buttons->button(i)->setGeometry(left + column * columnWidth,
                                        top + row * rowHeight + (rowHeight - buttonHeight) / 2,
                                        columnWidth - 2, buttonHeight);
    }
}
