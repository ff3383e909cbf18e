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

    void deadLinkNamesWhatMayBeLost_data()
    {
        QTest::addColumn<std::optional<UnacknowledgedSummary>>("lines");
        QTest::addColumn<QString>("expected");
        const QString head = QStringLiteral(
            "Der Server h:1 antwortet nicht mehr; die Verbindung ist unterbrochen.\n");
        QTest::newRow("the platform cannot tell")
            << std::optional<UnacknowledgedSummary>()
            << head + QStringLiteral("Zeilen, die kurz davor gesendet wurden, sind vielleicht "
                                     "nicht angekommen.");
        QTest::newRow("idle: everything acknowledged")
            << std::optional(UnacknowledgedSummary{})
            << head + QStringLiteral("Alle gesendeten Zeilen hat er bestätigt.");
        // Shown as the log shows them: without the line end, with the blank before it.
        QTest::newRow("all named, the feedback query's lone LF too")
            << std::optional(UnacknowledgedSummary{2, {"SET POWER OFF \r\n", "GET FB S88 1 \n"}})
            << head + QStringLiteral("Diese 2 Zeilen hat er nicht bestätigt, sie sind vielleicht "
                                     "nicht angekommen:\nSET POWER OFF \nGET FB S88 1 ");
        QTest::newRow("more than are named")
            << std::optional(UnacknowledgedSummary{40, {"SET GL M1 3 1 1 100 0 4 0 0 0 0\r\n"}})
            << head + QStringLiteral("40 Zeilen hat er nicht bestätigt, sie sind vielleicht nicht "
                                     "angekommen. Die letzten 1:\nSET GL M1 3 1 1 100 0 4 0 0 0 0");
    }
    void deadLinkNamesWhatMayBeLost()
    {
        QFETCH(std::optional<UnacknowledgedSummary>, lines);
        QTEST(deadLinkMessage(QStringLiteral("h"), 1, lines), "expected");
    }
};

QTEST_MAIN(tst_ConnectionMessages)
#include "tst_connection_messages.moc"
