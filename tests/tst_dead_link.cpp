// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_liveness.h"
#include "private_network.h"
#include "server_process.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

// The real window and the bundled server, in a network of the test's own, when every packet
// between them is dropped as if the server's machine had lost power: the window reports the
// dead link within seconds and can connect afresh, and the server drops its vanished client.
// A link that stalls for a few seconds and recovers raises nothing.
class tst_DeadLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void initTestCase()
    {
        if (!PrivateNetwork::whyNot().isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("No private network: ") + PrivateNetwork::whyNot()));
        }
        if (emulatorCannotStartProcesses()) {
            QSKIP("This emulator cannot start the server as a process of its own.");
        }
    }

    void deadServerIsReportedWithinTheBound_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<int>("boundMs");
        QTest::addColumn<QString>("lostLines");
        // Counted from the line the server never acknowledged.
        QTest::newRow("sending") << true << 15000
                                 << "Diese Zeile hat er nicht bestätigt, sie ist vielleicht "
                                    "nicht angekommen:\nSET POWER ON ";
        // Counted from the last packet: nothing is sent that could go unacknowledged.
        QTest::newRow("idle") << false << 20000 << "Alle gesendeten Zeilen hat er bestätigt.";
    }
    void deadServerIsReportedWithinTheBound()
    {
        QFETCH(bool, sending);
        QFETCH(int, boundMs);
        QFETCH(QString, lostLines);
        ServerProcess server({});
        const quint16 port = server.waitForPort();
        QVERIFY(port != 0);
        WindowFixture w;
        QVERIFY(connectTo(w, port));

        auto drop = std::make_unique<PacketDrop>(port);
        QVERIFY2(drop->dropping(), qPrintable(drop->error()));
        QElapsedTimer sinceLinkDied;
        sinceLinkDied.start();
        if (sending) {
            w.form->Button4->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!w.shownMessages.isEmpty(), boundMs);
        const qint64 reportedAfterMs = sinceLinkDied.elapsed();
        qInfo("reported after %lld ms", static_cast<long long>(reportedAfterMs));
        QVERIFY(reportedAfterMs < boundMs);
        // Not before the server's system could have answered even a slow link.
        QVERIFY(reportedAfterMs >= LinkLiveness::IdleBeforeProbeSeconds * 1000);
        QCOMPARE(w.shownMessages,
                 QStringList(QStringLiteral("Der Server 127.0.0.1:%1 antwortet nicht mehr; die "
                                            "Verbindung ist unterbrochen.\n")
                                 .arg(port) +
                             lostLines));
        QVERIFY(!w.form->ClientSocket1->Active());
        QStringList expectedLog{QString(), QStringLiteral("Client  -   mit Server verbunden")};
        if (sending) {
            expectedLog << QStringLiteral("SET POWER ON ") << QString();
        }
        QCOMPARE(w.log(), expectedLog);

        // The server, idle meanwhile, finds its side dead by its probes.
        const QByteArray output = server.outputContaining("client stopped answering");
        const qint64 droppedAfterMs = sinceLinkDied.elapsed();
        QVERIFY2(output.contains("#1 client stopped answering, dropping the connection\n"),
                 output.constData());
        QVERIFY2(droppedAfterMs < 20000, qPrintable(QString::number(droppedAfterMs)));
        QVERIFY(server.outputContaining("#1 closed\n").contains("#1 closed\n"));

        // Once the link is back, "verbinden" starts afresh.
        drop.reset();
        QVERIFY(connectTo(w, port));
        QCOMPARE(w.log().count(QStringLiteral("Client  -   mit Server verbunden")), 2);
        QCOMPARE(w.shownMessages.size(), 1);
    }

    void stallOfAFewSecondsRaisesNothing()
    {
        ServerProcess server({});
        const quint16 port = server.waitForPort();
        QVERIFY(port != 0);
        WindowFixture w;
        QVERIFY(connectTo(w, port));

        PacketDrop drop(port);
        QVERIFY2(drop.dropping(), qPrintable(drop.error()));
        QElapsedTimer sinceStall;
        sinceStall.start();
        w.form->Button4->click();
        QTest::qWait(3000); // the stall itself: a Wi-Fi hiccup
        drop.stop();
        // The line's retransmission reaches the server, and its answer the status line.
        QTRY_VERIFY_WITH_TIMEOUT(w.status().contains(QStringLiteral("INFO POWER ON")), 15000);
        // Past the time a dead link would have been reported by.
        QTest::qWait(int(std::max<qint64>(0, 15000 - sinceStall.elapsed())));
        QVERIFY2(w.shownMessages.isEmpty(), qPrintable(w.shownMessages.join(u'\n')));
        QVERIFY(w.form->ClientSocket1->Active());
        QVERIFY(!server.process().readAllStandardOutput().contains("stopped answering"));
    }

private:
    static bool connectTo(WindowFixture& w, quint16 port)
    {
        w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        w.form->PortEdit->setText(QString::number(port));
        const QString connected = QStringLiteral("Client  -   mit Server verbunden");
        const qsizetype before = w.log().count(connected);
        w.form->VerbindenButton->click();
        // The welcome line in the status line: the server has this connection too.
        return QTest::qWaitFor(
            [&] {
                return w.form->ClientSocket1->Active() && w.log().count(connected) > before &&
                       w.status().contains(QStringLiteral("SRCP"));
            },
            ServerWaitMs);
    }
};

int main(int argc, char** argv)
{
    PrivateNetwork::enter(argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_DeadLink test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dead_link.moc"
