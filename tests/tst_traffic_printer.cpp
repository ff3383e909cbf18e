// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "traffic_printer.h"
#include "warnings_fail.h"

#include <QTest>

struct Received
{
    int connectionId;
    QByteArray line;
    qint64 arrivalNs;
};

class tst_TrafficPrinter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }
    void printsLineWithStampAndPeer();
    void pulse_data();
    void pulse();
    void closedConnectionEndsPulse();
    void visible_data();
    void visible();
};

void tst_TrafficPrinter::printsLineWithStampAndPeer()
{
    TrafficPrinter printer;
    QCOMPARE(printer.line("SET POWER ON \r\n", 12'000'345'678, 3, QStringLiteral("127.0.0.1:5000")),
             "12.000345 #3 127.0.0.1:5000 SET POWER ON \\r\\n\n");
}

void tst_TrafficPrinter::pulse_data()
{
    // The last line's printed tail: empty when it ends no pulse.
    QTest::addColumn<QList<Received>>("received");
    QTest::addColumn<QByteArray>("tail");

    const qint64 ms = 1'000'000;
    QTest::newRow("on, off") << QList<Received>{{1, "SET GA M 7 0 1 -1\r\n", 1000 * ms},
                                                {1, "SET GA M 7 0 0 -1\r\n", 1300 * ms}}
                             << QByteArray("  pulse 300.000 ms");
    QTest::newRow("microseconds shown, nanoseconds cut")
        << QList<Received>{{1, "SET GA M 7 0 1 -1\n", 0}, {1, "SET GA M 7 0 0 -1\n", 300'123'999}}
        << QByteArray("  pulse 300.123 ms");
    QTest::newRow("short pulse keeps leading zeros")
        << QList<Received>{{1, "SET GA N 1 1 1 -1\n", 0}, {1, "SET GA N 1 1 0 -1\n", 5'007'000}}
        << QByteArray("  pulse 5.007 ms");
    QTest::newRow("off without on")
        << QList<Received>{{1, "SET GA M 7 0 0 -1\r\n", 0}} << QByteArray();
    QTest::newRow("other port") << QList<Received>{{1, "SET GA M 7 0 1 -1\r\n", 0},
                                                   {1, "SET GA M 7 1 0 -1\r\n", 300 * ms}}
                                << QByteArray();
    QTest::newRow("other protocol")
        << QList<Received>{{1, "SET GA M 7 0 1 -1\r\n", 0}, {1, "SET GA N 7 0 0 -1\r\n", 300 * ms}}
        << QByteArray();
    QTest::newRow("other connection")
        << QList<Received>{{1, "SET GA M 7 0 1 -1\r\n", 0}, {2, "SET GA M 7 0 0 -1\r\n", 300 * ms}}
        << QByteArray();
    QTest::newRow("latest on counts") << QList<Received>{{1, "SET GA M 7 0 1 -1\r\n", 0},
                                                         {1, "SET GA M 7 0 1 -1\r\n", 100 * ms},
                                                         {1, "SET GA M 7 0 0 -1\r\n", 400 * ms}}
                                      << QByteArray("  pulse 300.000 ms");
    QTest::newRow("lines in between") << QList<Received>{{1, "SET GA M 7 0 1 -1\r\n", 0},
                                                         {1, "SET POWER ON \r\n", 100 * ms},
                                                         {1, "SET GA M 8 0 1 -1\r\n", 150 * ms},
                                                         {1, "SET GA M 7 0 0 -1\r\n", 300 * ms}}
                                      << QByteArray("  pulse 300.000 ms");
    QTest::newRow("second off ends nothing") << QList<Received>{{1, "SET GA M 7 0 1 -1\n", 0},
                                                                {1, "SET GA M 7 0 0 -1\n", ms},
                                                                {1, "SET GA M 7 0 0 -1\n", 2 * ms}}
                                             << QByteArray();
    QTest::newRow("malformed off")
        << QList<Received>{{1, "SET GA M 7 0 1 -1\n", 0}, {1, "SET GA M 7 0 0\n", ms}}
        << QByteArray();
}

void tst_TrafficPrinter::pulse()
{
    QFETCH(QList<Received>, received);
    QFETCH(QByteArray, tail);

    TrafficPrinter printer;
    QByteArray last;
    for (const Received& line : received) {
        last = printer.line(line.line, line.arrivalNs, line.connectionId, QStringLiteral("peer"));
    }
    QVERIFY(last.endsWith("\\n" + tail + '\n'));
}

void tst_TrafficPrinter::closedConnectionEndsPulse()
{
    TrafficPrinter printer;
    const QString peer = QStringLiteral("127.0.0.1:5000");
    (void)printer.line("SET GA M 7 0 1 -1\r\n", 0, 1, peer);
    QCOMPARE(printer.vanished(500'000, 1),
             "0.000500 #1 client stopped answering, dropping the connection\n");
    QCOMPARE(printer.disconnected(1'000'000, 1), "0.001000 #1 closed\n");
    QVERIFY(!printer.line("SET GA M 7 0 0 -1\r\n", 300'000'000, 1, peer).contains("pulse"));
}

void tst_TrafficPrinter::visible_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("CR LF") << QByteArray("A \r\n") << QByteArray("A \\r\\n");
    QTest::newRow("tab and backslash") << QByteArray("\t\\") << QByteArray("\\t\\\\");
    QTest::newRow("control, NUL and high bytes")
        << QByteArray("\x01\x00\x7f\xff", 4) << QByteArray("\\x01\\x00\\x7f\\xff");
}

void tst_TrafficPrinter::visible()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, shown);
    QCOMPARE(TrafficPrinter::visible(bytes), shown);
}

QTEST_GUILESS_MAIN(tst_TrafficPrinter)
#include "tst_traffic_printer.moc"
