// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "line_reader.h"
#include "line_reader_rest.h"
#include "warnings_fail.h"

#include <QTest>

class tst_LineReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }
    void startsEmpty();
    void feed_data();
    void feed();
    void stopsAfterOverlongUntilReset();
    void withoutLineEnd_data();
    void withoutLineEnd();
};

void tst_LineReader::startsEmpty()
{
    const LineReader reader;
    QVERIFY(heldBackBytes(reader).isEmpty());
    QVERIFY(!reader.isOverlong());
}

void tst_LineReader::feed_data()
{
    // Chunk i arrives at time i + 1; each line carries the time of the chunk holding its LF.
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QList<qint64>>("arrivals");
    QTest::addColumn<QByteArray>("pending");
    QTest::addColumn<bool>("overlong");

    const QByteArray full(LineReader::MaxLineLength, 'x');
    const QByteArray over(LineReader::MaxLineLength + 1, 'x');

    QTest::newRow("LF") << QList<QByteArray>{"SET POWER ON \n"}
                        << QList<QByteArray>{"SET POWER ON \n"} << QList<qint64>{1} << QByteArray()
                        << false;
    QTest::newRow("CR LF kept") << QList<QByteArray>{"SET POWER ON \r\n"}
                                << QList<QByteArray>{"SET POWER ON \r\n"} << QList<qint64>{1}
                                << QByteArray() << false;
    QTest::newRow("split across reads")
        << QList<QByteArray>{"SET GA M 7", " 0 1 -1", "\r\n"}
        << QList<QByteArray>{"SET GA M 7 0 1 -1\r\n"} << QList<qint64>{3} << QByteArray() << false;
    QTest::newRow("CR and LF in separate reads")
        << QList<QByteArray>{"GET POWER\r", "\n"} << QList<QByteArray>{"GET POWER\r\n"}
        << QList<qint64>{2} << QByteArray() << false;
    QTest::newRow("two lines and a rest in one read")
        << QList<QByteArray>{"A\r\nB\nC"} << QList<QByteArray>{"A\r\n", "B\n"}
        << QList<qint64>{1, 1} << QByteArray("C") << false;
    QTest::newRow("rest completed later") << QList<QByteArray>{"A\nGET FB ", "S88 1 \n"}
                                          << QList<QByteArray>{"A\n", "GET FB S88 1 \n"}
                                          << QList<qint64>{1, 2} << QByteArray() << false;
    QTest::newRow("blank lines") << QList<QByteArray>{"\n\r\n"} << QList<QByteArray>{"\n", "\r\n"}
                                 << QList<qint64>{1, 1} << QByteArray() << false;
    QTest::newRow("longest line with CR LF")
        << QList<QByteArray>{full + "\r", "\n"} << QList<QByteArray>{full + "\r\n"}
        << QList<qint64>{2} << QByteArray() << false;
    QTest::newRow("overlong without LF")
        << QList<QByteArray>{over.left(600), over.mid(600)} << QList<QByteArray>{}
        << QList<qint64>{} << QByteArray() << true;
    QTest::newRow("overlong with LF in one read")
        << QList<QByteArray>{over + "\n"} << QList<QByteArray>{} << QList<qint64>{} << QByteArray()
        << true;
    QTest::newRow("line before an overlong one survives")
        << QList<QByteArray>{"GET POWER\n" + over + "\nSET POWER ON\n"}
        << QList<QByteArray>{"GET POWER\n"} << QList<qint64>{1} << QByteArray() << true;
}

void tst_LineReader::feed()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QList<qint64>, arrivals);
    QFETCH(QByteArray, pending);
    QFETCH(bool, overlong);

    LineReader reader;
    QList<QByteArray> gotLines;
    QList<qint64> gotArrivals;
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        for (const LineReader::Line& line : reader.feed(chunks.at(i), i + 1)) {
            gotLines.append(line.bytes);
            gotArrivals.append(line.arrivalNs);
        }
    }
    QCOMPARE(gotLines, lines);
    QCOMPARE(gotArrivals, arrivals);
    QCOMPARE(heldBackBytes(reader), pending);
    QCOMPARE(reader.isOverlong(), overlong);
}

void tst_LineReader::stopsAfterOverlongUntilReset()
{
    LineReader reader;
    QVERIFY(reader.feed(QByteArray(LineReader::MaxLineLength + 1, 'x'), 1).isEmpty());
    QVERIFY(reader.isOverlong());
    QVERIFY(reader.feed("\nGET POWER\n", 2).isEmpty());

    reader.reset();
    const QList<LineReader::Line> lines = reader.feed("GET POWER\n", 3);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.at(0).bytes, "GET POWER\n");
}

void tst_LineReader::withoutLineEnd_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("LF") << QByteArray("GET POWER\n") << QByteArray("GET POWER");
    QTest::newRow("CR LF") << QByteArray("GET POWER\r\n") << QByteArray("GET POWER");
    QTest::newRow("only one CR goes") << QByteArray("A\r\r\n") << QByteArray("A\r");
    QTest::newRow("CR without LF stays") << QByteArray("A\r") << QByteArray("A\r");
    QTest::newRow("trailing blank stays")
        << QByteArray("GET FB S88 1 \n") << QByteArray("GET FB S88 1 ");
}

void tst_LineReader::withoutLineEnd()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, content);
    QCOMPARE(LineReader::withoutLineEnd(line).toByteArray(), content);
}

QTEST_GUILESS_MAIN(tst_LineReader)
#include "tst_line_reader.moc"
