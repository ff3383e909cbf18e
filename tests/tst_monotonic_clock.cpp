// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "monotonic_clock.h"
#include "warnings_fail.h"

#include <QList>
#include <QTest>

using Readings = QList<qint64>;

// Dating a kernel's wall-clock stamp on the monotonic clock, with both clocks scripted: each
// pair of monotonic readings brackets one wall-clock reading.
class tst_MonotonicClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void wallStampOnMonotonic_data()
    {
        QTest::addColumn<Readings>("monotonic");
        QTest::addColumn<Readings>("wall");
        QTest::addColumn<qint64>("stamp");
        QTest::addColumn<qint64>("dated");
        QTest::addColumn<int>("pairsRead");
        // The wall clock reads 5,000,000 while the monotonic one reads 1,000,005: a stamp
        // 1,000,000 old is dated 5.
        QTest::newRow("tight pair") << Readings{1'000'000, 1'000'010} << Readings{5'000'000}
                                    << qint64(4'000'000) << qint64(5) << 1;
        // A preemption of half a millisecond between the reads would date the stamp that much
        // early; the tight second pair is used instead.
        QTest::newRow("split pair read again")
            << Readings{1'000'000, 1'500'000, 1'600'000, 1'600'010}
            << Readings{5'000'000, 5'600'000} << qint64(4'000'000) << qint64(5) << 2;
        QTest::newRow("every pair split: the narrowest")
            << Readings{0, 90'000, 100'000, 130'000, 200'000, 260'000, 300'000, 400'000}
            << Readings{1'000'000, 1'100'000, 1'200'000, 1'300'000} << qint64(1'000'000)
            << qint64(115'000 - 100'000) << 4;
        // The wall clock was set back after the stamp: the bytes arrived now, not in the future.
        QTest::newRow("wall clock set back")
            << Readings{1'000'000, 1'000'010} << Readings{5'000'000} << qint64(7'000'000)
            << qint64(1'000'005) << 1;
    }
    void wallStampOnMonotonic()
    {
        QFETCH(Readings, monotonic);
        QFETCH(Readings, wall);
        QFETCH(qint64, stamp);
        QFETCH(qint64, dated);
        QFETCH(int, pairsRead);
        qsizetype monotonicRead = 0;
        qsizetype wallRead = 0;
        const qint64 result = ::wallStampOnMonotonic(
            stamp, [&] { return monotonic.value(monotonicRead++, -1); },
            [&] { return wall.value(wallRead++, -1); });
        QCOMPARE(result, dated);
        QCOMPARE(wallRead, pairsRead);
        QCOMPARE(monotonicRead, 2 * pairsRead);
    }
};

QTEST_APPLESS_MAIN(tst_MonotonicClock)
#include "tst_monotonic_clock.moc"
