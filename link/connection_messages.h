// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The operator reads German; Qt's own error strings are English and name no port.
[[nodiscard]] QString connectionFailureMessage(QAbstractSocket::SocketError error,
                                               const QString& host, int port,
                                               const QString& systemText);

[[nodiscard]] QString invalidPortMessage(int port);

// Qt names one fault after the platform: a reset that a write runs into is RemoteHostClosedError
// on Unix but NetworkError ("Unable to write") on Windows, where a read that finds the same reset
// reports RemoteHostClosedError too. This gives such a fault its common name, so the operator
// reads one message for it everywhere.
[[nodiscard]] QAbstractSocket::SocketError commonFault(QAbstractSocket::SocketError reported,
                                                       bool writeFailed);

// The lines a connection found dead had sent that the server's system never acknowledged: how
// many, and the newest of them, each with its line end.
struct UnacknowledgedSummary
{
    qsizetype count = 0;
    QList<QByteArray> newest;
};

// A server that stopped answering: no acknowledgement, no reply to keepalive probes. Names the
// lines that may not have arrived, or says that any sent shortly before may be lost where the
// platform cannot tell.
[[nodiscard]] QString deadLinkMessage(const QString& host, int port,
                                      const std::optional<UnacknowledgedSummary>& lines);
