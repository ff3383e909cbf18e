// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "accessible_views.h"

#include "speed_bar_accessible.h"
#include "state_caption_accessible.h"
#include "status_panel_accessible.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace {
constexpr char ViewProperty[] = "accessibleView";

template <typename View, typename Control> QAccessibleInterface* makeIf(QWidget* widget)
{
    auto* control = qobject_cast<Control*>(widget);
    return control != nullptr ? new View(control) : nullptr;
}

QAccessibleInterface* makeView(const QString& /*className*/, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    const QVariant view = widget->property(ViewProperty);
    if (!view.isValid()) {
        return nullptr;
    }
    // A view given to a control of another kind falls back to Qt's generic one rather than
    // reading the control as what it is not.
    switch (static_cast<AccessibleView>(view.toInt())) {
    case AccessibleView::StatusPanel:
        return makeIf<StatusPanelAccessible, QLabel>(widget);
    case AccessibleView::StateCaption:
        return makeIf<StateCaptionAccessible, QAbstractButton>(widget);
    case AccessibleView::SpeedBar:
        return makeIf<SpeedBarAccessible, QAbstractSlider>(widget);
    }
    return nullptr;
}
} // namespace

void setAccessibleView(QWidget* control, AccessibleView view)
{
    static const bool installed = [] {
        QAccessible::installFactory(&makeView);
        return true;
    }();
    (void)installed;
    control->setProperty(ViewProperty, static_cast<int>(view));
    // While accessibility is active, Qt makes and keeps a generic view as soon as a control
    // reports its first change, for instance its caption during construction. Dropping
    // whatever is kept now makes the next query ask the factory again.
    if (QAccessibleInterface* kept = QAccessible::queryAccessibleInterface(control)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(kept));
    }
}
