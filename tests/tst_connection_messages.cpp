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
        QTest::addColumn<QString>("expected");
        using S = QAbstractSocket;
        const QString closed = QStringLiteral("Der Server h:1 hat die Verbindung beendet.");
        QTest::newRow("reset met by a write, as Qt reports it on Windows")
            << S::NetworkError << true << closed;
        QTest::newRow("reset met by a write or a read, as Qt reports it elsewhere")
            << S::RemoteHostClosedError << true << closed;
        QTest::newRow("network fault without a write")
            << S::NetworkError << false
            << QStringLiteral("Netzwerkfehler bei der Verbindung zu h:1: Unable to write");
    }
    void oneFaultOneMessage()
    {
        QFETCH(QAbstractSocket::SocketError, reported);
        QFETCH(bool, writeFailed);
        const QString shown =
            connectionFailureMessage(commonFault(reported, writeFailed), QStringLiteral("h"), 1,
                                     QStringLiteral("Unable to write"));
        QTEST(shown, "expected");
    }
};

QTEST_MAIN(tst_ConnectionMessages)
#include "tst_connection_messages.moc"
