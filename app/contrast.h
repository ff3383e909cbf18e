// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QColor;

// Contrast between two colors as the web content accessibility guidelines measure it: the
// ratio of their relative luminances, each plus 0.05, from 1 (same) to 21 (black on white).
// Text needs 4.5, the shape of a control 3.
[[nodiscard]] double relativeLuminance(const QColor& color);
[[nodiscard]] double contrastRatio(const QColor& first, const QColor& second);

// `preferred` when it stands out from `background` by at least `minimum`, else black or
// white, whichever stands out more.
[[nodiscard]] QColor colorStandingOut(const QColor& background, const QColor& preferred,
                                      double minimum);
