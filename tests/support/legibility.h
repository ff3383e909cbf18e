// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "contrast.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <vector>

// What the operator can read of a window, as its pixels and its fonts show it.

// The contrast between the lightest and the darkest pixel of `area`: for a caption its text
// against the background, for an indicator its ring against what lies beside it.
[[nodiscard]] inline double contrastWithin(const QImage& image, const QRect& area)
{
    std::vector<QColor> pixels;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            pixels.push_back(image.pixelColor(x, y));
        }
    }
    if (pixels.empty()) {
        return 1.0;
    }
    const auto [darkest, lightest] =
        std::minmax_element(pixels.begin(), pixels.end(), [](const QColor& a, const QColor& b) {
            return relativeLuminance(a) < relativeLuminance(b);
        });
    return contrastRatio(*lightest, *darkest);
}

// The visible captions of `window`'s buttons and labels that their control cuts off, in the
// font each actually gets. A button's caption fits where its size hint does, give or take the
// bevel, or where the text alone does.
[[nodiscard]] inline QStringList captionsCutOff(const QWidget& window)
{
    QStringList cut;
    for (const auto* button : window.findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty() && button->isVisibleTo(&window) &&
            button->sizeHint().width() > button->width() + 8 &&
            button->fontMetrics().horizontalAdvance(button->text()) + 4 > button->width()) {
            cut << button->text();
        }
    }
    for (const auto* label : window.findChildren<QLabel*>()) {
        if (label->fontMetrics().horizontalAdvance(label->text()) > label->width()) {
            cut << label->text();
        }
    }
    return cut;
}
