// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "loco_command.h"

#include "conversion.h"

#include <array>

LocoState Loco;

QString locoProtocolToken(int familyIndex, int maerklinDecoderIndex, int dccDecoderIndex,
                          const QString& previousToken)
{
    if (familyIndex == 0) {
        return maerklinDecoderIndex == 0 ? QStringLiteral("M1 ") : QStringLiteral("M2 ");
    }
    static const std::array<QString, 5> dccTokens = {QStringLiteral("NB "), QStringLiteral("N1 "),
                                                     QStringLiteral("N2 "), QStringLiteral("N3 "),
                                                     QStringLiteral("N4 ")};
    if (dccDecoderIndex < 0 || dccDecoderIndex >= static_cast<int>(dccTokens.size())) {
        return previousToken;
    }
    return dccTokens.at(static_cast<std::size_t>(dccDecoderIndex));
}

QString numberToken(int value)
{
    return IntToStr(value) + u' ';
}

QString locoSpeedToken(int barMaximum, int barPosition)
{
    return numberToken(barMaximum - barPosition);
}

QString locoLine(const QString& prefix, const QString& protocol, const QString& address,
                 const QString& direction, const QString& speed, const QString& maxSpeed,
                 const QString& function)
{
    return prefix + protocol + address + u' ' + direction + speed + maxSpeed + function +
           QStringLiteral("4 0 0 0 0\r\n");
}
