// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "connection_messages.h"
#include "warnings_fail.h"

#include <QTest>

// What the operator reads when a connection fails: one fault, one message on every platform.
class tst_ConnectionMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void oneFaultOneMessage_data()
    {
        QTest::addColumn<QAbstractSocket::SocketError>("reported");
        QTest::addColumn<bool>("writeFailed");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        using S = QAbstractSocket;
        const QString closed = QStringLiteral("Der Server h:1 hat die Verbindung beendet.");
        QTest::newRow("reset met by a write, as Qt reports it on Windows")
            << S::NetworkError << true << "h" << closed;
        QTest::newRow("reset met by a write or a read, as Qt reports it elsewhere")
            << S::RemoteHostClosedError << true << "h" << closed;
        QTest::newRow("network fault without a write")
            << S::NetworkError << false << "h"
            << QStringLiteral("Netzwerkfehler bei der Verbindung zu h:1: Unable to write");
        // A host is shown as typed, also where it looks like a placeholder.
        QTest::newRow("refused, host with %1")
            << S::ConnectionRefusedError << false << "a%1b"
            << QStringLiteral("Verbindung zu a%1b:1 abgelehnt: Dort wartet kein Server.");
        QTest::newRow("not found, host with %1")
            << S::HostNotFoundError << false << "a%1b"
            << QStringLiteral("Der Host \"a%1b\" wurde nicht gefunden (Port 1).");
    }
    void oneFaultOneMessage()
    {
        QFETCH(QAbstractSocket::SocketError, reported);
        QFETCH(bool, writeFailed);
        QFETCH(QString, host);
        const QString shown = connectionFailureMessage(commonFault(reported, writeFailed), host, 1,
                                                       QStringLiteral("Unable to write"));
        QTEST(shown, "expected");
    }
};

QTEST_MAIN(tst_ConnectionMessages)
#include "tst_connection_messages.moc"
