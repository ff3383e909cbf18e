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

QString deadLinkMessage(const QString& host, int port,
                        const std::optional<UnacknowledgedSummary>& lines)
{
    QString message = QStringLiteral("Der Server %1 antwortet nicht mehr; die Verbindung ist "
                                     "unterbrochen.\n")
                          .arg(endpoint(host, port));
    if (!lines) {
        return message + QStringLiteral("Zeilen, die kurz davor gesendet wurden, sind vielleicht "
                                        "nicht angekommen.");
    }
    if (lines->count == 0) {
        return message + QStringLiteral("Alle gesendeten Zeilen hat er bestätigt.");
    }
    if (lines->count == 1) {
        message += QStringLiteral("Diese Zeile hat er nicht bestätigt, sie ist vielleicht nicht "
                                  "angekommen:");
    } else if (lines->count == lines->newest.size()) {
        message += QStringLiteral("Diese %1 Zeilen hat er nicht bestätigt, sie sind vielleicht "
                                  "nicht angekommen:")
                       .arg(lines->count);
    } else {
        message += QStringLiteral("%1 Zeilen hat er nicht bestätigt, sie sind vielleicht nicht "
                                  "angekommen. Die letzten %2:")
                       .arg(lines->count)
                       .arg(lines->newest.size());
    }
    for (const QByteArray& line : lines->newest) {
        // One line each, as the log shows it: the blank before the line end stays.
        QByteArray shown = line;
        while (shown.endsWith('\n') || shown.endsWith('\r')) {
            shown.chop(1);
        }
        message += QLatin1Char('\n') + QString::fromLatin1(shown);
    }
    return message;
}

QString invalidPortMessage(int port)
{
    return QStringLiteral("Die Portnummer %1 liegt nicht zwischen 1 und 65535.").arg(port);
}
