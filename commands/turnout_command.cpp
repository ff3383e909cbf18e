// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "turnout_command.h"

QString turnoutPrefix(int protocolIndex)
{
    return protocolIndex == 0 ? QStringLiteral("SET GA M ") : QStringLiteral("SET GA N ");
}

QString turnoutLine(const QString& prefix, const QString& address, TurnoutRoute route,
                    bool switchOn)
{
    // The tails are kept whole: port, action and the -1 that leaves timing to this program.
    static const QString straightOn = QStringLiteral(" 0 1 -1\r\n");
    static const QString straightOff = QStringLiteral(" 0 0 -1\r\n");
    static const QString divergingOn = QStringLiteral(" 1 1 -1\r\n");
    static const QString divergingOff = QStringLiteral(" 1 0 -1\r\n");
    const QString& tail = route == TurnoutRoute::Straight ? (switchOn ? straightOn : straightOff)
                                                          : (switchOn ? divergingOn : divergingOff);
    return prefix + address + tail;
}
