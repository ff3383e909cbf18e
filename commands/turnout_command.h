// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

enum class TurnoutRoute { Straight, Diverging };

// "SET GA M " for the first protocol choice (Märklin), "SET GA N " for any other.
[[nodiscard]] QString turnoutPrefix(int protocolIndex);

// Prefix, address and the fixed tail of the route's switch-on or switch-off line.
[[nodiscard]] QString turnoutLine(const QString& prefix, const QString& address, TurnoutRoute route,
                                  bool switchOn);

// How long the turnout drive is powered, in microseconds.
inline constexpr long long TurnoutPulseMicroseconds = 300000;
