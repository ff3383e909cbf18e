// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The locomotive state. It lives for the whole program, outside the window, and every line
// carries all of it: servers get the complete state each time, never a difference. A new
// LocoState holds the values at program start, before the window sets its own.
struct LocoState
{
    QString LocoPrefix = QStringLiteral("SET GL ");
    QString LocoProtocol;
    int LocoDirectionFlag = 0;
    QString LocoDirection;
    QString LocoSpeed;
    QString LocoMaxSpeed;
    QString LocoFunction = QStringLiteral("0 ");
};

// The program's one locomotive state.
extern LocoState Loco;

// The protocol token for the radio choices; an unknown DCC choice keeps the previous token.
[[nodiscard]] QString locoProtocolToken(int familyIndex, int maerklinDecoderIndex,
                                        int dccDecoderIndex, const QString& previousToken);

// The speed token: the bar is at its maximum when the locomotive stands.
[[nodiscard]] QString locoSpeedToken(int barMaximum, int barPosition);

// A decimal number followed by the blank every token carries.
[[nodiscard]] QString numberToken(int value);

// The nine pieces of a locomotive line, concatenated with nothing between them.
[[nodiscard]] QString locoLine(const QString& prefix, const QString& protocol,
                               const QString& address, const QString& direction,
                               const QString& speed, const QString& maxSpeed,
                               const QString& function);
