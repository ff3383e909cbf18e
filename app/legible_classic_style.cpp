// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "legible_classic_style.h"

#include "contrast.h"

#include <QStyleOption>
#include <QWidget>

#include <algorithm>
#include <initializer_list>

namespace {
// The shape of a control must stand out from its surroundings by this much, its state mark
// from the control's face likewise.
constexpr double IndicatorContrast = 3.0;

// Radio buttons draw no background of their own: what shows around the ring is the nearest
// ancestor that fills its background, at the latest the window.
QColor colorBehind(const QWidget* widget, const QPalette& fallback)
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w->autoFillBackground() || w->isWindow()) {
            return w->palette().color(w->backgroundRole());
        }
    }
    return fallback.color(QPalette::Window);
}

// Gives the ring and the dot colors that stand out where the palette's own do not; false
// when nothing needed a change.
bool makeRadioLegible(QPalette& palette, const QColor& behind)
{
    bool changed = false;
    double strongestEdge = 1.0;
    for (const QPalette::ColorRole edge :
         {QPalette::Dark, QPalette::Shadow, QPalette::Midlight, QPalette::Light}) {
        strongestEdge = std::max(strongestEdge, contrastRatio(palette.color(edge), behind));
    }
    if (strongestEdge < IndicatorContrast) {
        const QColor ring =
            colorStandingOut(behind, palette.color(QPalette::WindowText), IndicatorContrast);
        // The outer ring, both halves; the inner shades keep the sunken look.
        palette.setColor(QPalette::Dark, ring);
        palette.setColor(QPalette::Light, ring);
        changed = true;
    }
    const QColor face = palette.color(QPalette::Base);
    const QColor dot = palette.color(QPalette::Text);
    if (contrastRatio(dot, face) < IndicatorContrast) {
        palette.setColor(QPalette::Text, colorStandingOut(face, dot, IndicatorContrast));
        changed = true;
    }
    return changed;
}
} // namespace

LegibleClassicStyle::LegibleClassicStyle() : QProxyStyle(QStringLiteral("Windows")) {}

void LegibleClassicStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                        QPainter* painter, const QWidget* widget) const
{
    if (element == PE_IndicatorRadioButton) {
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
            QStyleOptionButton legible(*button);
            if (makeRadioLegible(legible.palette, colorBehind(widget, button->palette))) {
                QProxyStyle::drawPrimitive(element, &legible, painter, widget);
                return;
            }
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
