// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_liveness.h"
#include "server_process.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

namespace {

// nft with a script on its standard input; its error output, empty on success.
QString nft(const QString& script)
{
    QProcess process;
    process.start(QStringLiteral("nft"), {QStringLiteral("-f"), QStringLiteral("-")});
    process.write(script.toLatin1());
    process.closeWriteChannel();
    const bool done = process.waitForFinished(30000) && process.exitCode() == 0;
    return done ? QString() : QStringLiteral("nft: ") + process.readAllStandardError();
}

// Drops every packet to and from one port while it lives: no FIN and no RST ever comes, as when
// the server's machine loses power. Dropped where they arrive, not where they leave: a sender
// whose packets its own firewall refuses knows they never left.
class PacketDrop
{
public:
    explicit PacketDrop(quint16 port) : m_table(QStringLiteral("kolvo_drop_%1").arg(port))
    {
        error = nft(QStringLiteral("table inet %1 {\n chain input {\n"
                                   "  type filter hook input priority 0; policy accept;\n"
                                   "  tcp sport %2 drop\n  tcp dport %2 drop\n }\n}\n")
                        .arg(m_table)
                        .arg(port));
    }
    ~PacketDrop() { (void)nft(QStringLiteral("delete table inet %1\n").arg(m_table)); }
    PacketDrop(const PacketDrop&) = delete;
    PacketDrop& operator=(const PacketDrop&) = delete;

    QString error;

private:
    QString m_table;
};

bool connectTo(WindowFixture& w, quint16 port)
{
    w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
    w.form->PortEdit->setText(QString::number(port));
    const qsizetype before = w.log().count(QStringLiteral("Client  -   mit Server verbunden"));
    w.form->VerbindenButton->click();
    // The welcome line in the status line: the server has this connection too.
    return QTest::qWaitFor(
        [&] {
            return w.log().count(QStringLiteral("Client  -   mit Server verbunden")) > before &&
                   w.status().contains(QStringLiteral("SRCP"));
        },
        ServerWaitMs);
}

} // namespace

// The real window and the bundled server in a network of the test's own (CTest starts it
// through in_private_network.sh), when every packet between them is dropped: the window reports
// the dead link within seconds and connects afresh, and the server drops its vanished client.
// A link that stalls for a few seconds and recovers raises nothing.
class tst_DeadLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void initTestCase()
    {
        // Started by hand instead, its nftables rules would reach the machine's own traffic.
        if (qEnvironmentVariable("KOLVO_PRIVATE_NETWORK") != u"1") {
            QSKIP("Runs only inside the network namespace that in_private_network.sh makes "
                  "(unshare --net)");
        }
    }

    void deadServerIsReportedWithinTheBound_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<int>("boundMs");
        QTest::addColumn<QString>("lostLines");
        // Counted from the line the server never acknowledged, or from the last packet.
        QTest::newRow("sending") << true << 15000
                                 << "Diese Zeile hat er nicht bestätigt, sie ist vielleicht "
                                    "nicht angekommen:\nSET POWER ON ";
        QTest::newRow("idle") << false << 20000 << "Alle gesendeten Zeilen hat er bestätigt.";
    }
    void deadServerIsReportedWithinTheBound()
    {
        QFETCH(bool, sending);
        QFETCH(int, boundMs);
        QFETCH(QString, lostLines);
        ServerProcess server({});
        const quint16 port = server.waitForPort();
        WindowFixture w;
        QVERIFY(connectTo(w, port));

        auto drop = std::make_unique<PacketDrop>(port);
        QVERIFY2(drop->error.isEmpty(), qPrintable(drop->error));
        QElapsedTimer sinceLinkDied;
        sinceLinkDied.start();
        if (sending) {
            w.form->Button4->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!w.shownMessages.isEmpty(), boundMs);
        qInfo("reported after %lld ms", static_cast<long long>(sinceLinkDied.elapsed()));
        // Not before a slow link could still have answered.
        QVERIFY(sinceLinkDied.elapsed() >= LinkLiveness::IdleBeforeProbeSeconds * 1000);
        QCOMPARE(w.shownMessages, QStringList(QStringLiteral("Der Server 127.0.0.1:%1 antwortet "
                                                             "nicht mehr; die Verbindung ist "
                                                             "unterbrochen.\n")
                                                  .arg(port) +
                                              lostLines));
        QVERIFY(!w.form->ClientSocket1->Active());
        QCOMPARE(w.log().contains(QStringLiteral("SET POWER ON ")), sending);

        // The server, idle meanwhile, finds its side dead by its probes.
        const QByteArray output = server.outputContaining("#1 closed\n");
        const qsizetype vanished = output.indexOf(" #1 client stopped answering, dropping the "
                                                  "connection\n");
        QVERIFY2(vanished >= 0 && vanished < output.indexOf(" #1 closed\n"), output.constData());
        QVERIFY(sinceLinkDied.elapsed() < 20000);

        // Once the link is back, "verbinden" starts afresh.
        drop.reset();
        QVERIFY(connectTo(w, port));
        QCOMPARE(w.shownMessages.size(), 1);
    }

    void stallOfAFewSecondsRaisesNothing()
    {
        ServerProcess server({});
        const quint16 port = server.waitForPort();
        WindowFixture w;
        QVERIFY(connectTo(w, port));
        QElapsedTimer sinceStall;
        {
            PacketDrop drop(port);
            QVERIFY2(drop.error.isEmpty(), qPrintable(drop.error));
            sinceStall.start();
            w.form->Button4->click();
            QTest::qWait(3000); // the stall itself: a Wi-Fi hiccup
        }
        // The line's retransmission reaches the server, and its answer the status line.
        QTRY_VERIFY_WITH_TIMEOUT(w.status().contains(QStringLiteral("INFO POWER ON")), 15000);
        // Past the time a dead link would have been reported by.
        QTest::qWait(int(std::max<qint64>(0, 15000 - sinceStall.elapsed())));
        QVERIFY2(w.shownMessages.isEmpty(), qPrintable(w.shownMessages.join(u'\n')));
        QVERIFY(w.form->ClientSocket1->Active());
    }
};

QTEST_MAIN(tst_DeadLink)
#include "tst_dead_link.moc"
