#include "accessible_controls.h"

#include "status_bar.h"

#include <QAbstractButton>
#include <QAbstractSlider>

#include <algorithm>

StatusPanelAccessible::StatusPanelAccessible(QWidget* panel)
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

StateCaptionAccessible::StateCaptionAccessible(QWidget* button)
    : QAccessibleWidget(button, QAccessible::Button)
{
    Q_ASSERT(qobject_cast<QAbstractButton*>(button));
}

QString StateCaptionAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Name) {
        const QString caption = static_cast<QAbstractButton*>(widget())->text();
        const QString label = widget()->accessibleName();
        return label.isEmpty() ? caption : label + QStringLiteral(": ") + caption;
    }
    return QAccessibleWidget::text(type);
}

QAccessible::State StateCaptionAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = static_cast<QAbstractButton*>(widget())->isDown();
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
            static_cast<QAbstractButton*>(widget())->animateClick();
        }
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

SpeedBarAccessible::SpeedBarAccessible(QWidget* speedBar)
    : QAccessibleWidget(speedBar, QAccessible::ScrollBar)
{
    Q_ASSERT(qobject_cast<QAbstractSlider*>(speedBar));
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
    return static_cast<QAbstractSlider*>(widget());
}
