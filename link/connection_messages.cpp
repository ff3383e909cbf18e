// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "connection_messages.h"

namespace {
QString endpoint(const QString& host, int port)
{
    // One arg() call: a host name that holds "%1" is shown as typed.
    return QStringLiteral("%1:%2").arg(host, QString::number(port));
}
} // namespace

QString connectionFailureMessage(QAbstractSocket::SocketError error, const QString& host, int port,
                                 const QString& systemText)
{
    const QString where = endpoint(host, port);
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("Verbindung zu %1 abgelehnt: Dort wartet kein Server.").arg(where);
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("Der Host \"%1\" wurde nicht gefunden (Port %2).")
            .arg(host, QString::number(port));
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("Zeitüberschreitung: %1 antwortet nicht.").arg(where);
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("Der Server %1 hat die Verbindung beendet.").arg(where);
    case QAbstractSocket::NetworkError:
        return QStringLiteral("Netzwerkfehler bei der Verbindung zu %1: %2").arg(where, systemText);
    default:
        return QStringLiteral("Verbindungsfehler bei %1: %2").arg(where, systemText);
    }
}

QAbstractSocket::SocketError commonFault(QAbstractSocket::SocketError reported, bool writeFailed)
{
    if (reported == QAbstractSocket::NetworkError && writeFailed) {
        return QAbstractSocket::RemoteHostClosedError;
    }
    return reported;
}

QString invalidPortMessage(int port)
{
    return QStringLiteral("Die Portnummer %1 liegt nicht zwischen 1 und 65535.").arg(port);
}
