// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "nano_pause.h"
#include "scripted_counter.h"
#include "warnings_fail.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

// The timer's layout: exactly these two fields, in this order, public, and no virtuals.
static_assert(std::is_same_v<decltype(NanoPause::Frequency), std::int64_t>);
static_assert(std::is_same_v<decltype(NanoPause::CounterAvailable), std::int32_t>);
static_assert(std::is_standard_layout_v<NanoPause>);
static_assert(!std::is_polymorphic_v<NanoPause>);
static_assert(offsetof(NanoPause, Frequency) == 0);
static_assert(offsetof(NanoPause, CounterAvailable) == sizeof(std::int64_t));
static_assert(sizeof(NanoPause) <= 2 * sizeof(std::int64_t));
static_assert(std::is_same_v<decltype(CalibrationTarget), const std::int32_t>);
static_assert(CalibrationTarget == 600);
static_assert(CalibrationPassLimit == 50);

namespace {

// One pass of Calibrate as the counter shall see it: the ticks that each of the 20 measured
// pauses of its first Average (of 600) and of its second Average (of the corrected length)
// take.
struct CalibrationPass
{
    QList<qint64> firstAverage;
    QList<qint64> secondAverage;
};

constexpr int MeasurementsPerAverage = 20;
// Measure reads before, at the start of the pause, once per loop pass, and after.
constexpr qint64 ReadingsAroundTheLoop = 3;
// A pass of Calibrate on scripted readings that end each pause's loop at its first reading:
// two Averages of 20 Measures of four readings each.
constexpr qint64 ReadingsPerScriptedPass = 2 * MeasurementsPerAverage * 4;

// The passes Calibrate made, as the counter saw them.
qint64 calibrationPassesRead(qint64 readsBefore = 0)
{
    return (ScriptedCounter::counterReads() - readsBefore) / ReadingsPerScriptedPass;
}

// Queues four readings per Measure, T, T, T + ticks, T + ticks, so that the pause's loop ends
// at its first reading and the Measure returns `ticks` (scripted_counter.h explains). Each
// entry must be at least the tick target of the pause it is for: otherwise the loop reads on
// into the next entry's readings, and the read count no longer matches.
void scriptMeasurements(const QList<qint64>& ticksPerMeasurement)
{
    std::vector<std::int64_t> readings;
    std::int64_t time = 1000;
    for (const qint64 ticks : ticksPerMeasurement) {
        readings.insert(readings.end(), {time, time, time + ticks, time + ticks});
        time += ticks + 7;
    }
    ScriptedCounter::queueReadings(readings);
}

QList<qint64> repeated(qsizetype count, qint64 ticks)
{
    return QList<qint64>(count, ticks);
}

bool longDoubleIsExtended()
{
    return std::numeric_limits<long double>::digits >= 64;
}

QString describeMismatch(double actual, double expected)
{
    return QStringLiteral("actual %1, expected %2")
        .arg(actual, 0, 'g', 17)
        .arg(expected, 0, 'g', 17);
}

} // namespace

// QCOMPARE on doubles is fuzzy; the timer's arithmetic is exact to the last bit.
#define COMPARE_EXACTLY(actual, expected)                                                          \
    do {                                                                                           \
        const double actualValue = (actual);                                                       \
        const double expectedValue = (expected);                                                   \
        QVERIFY2(actualValue == expectedValue,                                                     \
                 qPrintable(describeMismatch(actualValue, expectedValue)));                        \
    } while (false)

Q_DECLARE_METATYPE(CalibrationPass)

class tst_NanoPause : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void construction_data();
    void construction();
    void pause_data();
    void pause();
    void pauseWithoutCounter_data();
    void pauseWithoutCounter();
    void measure_data();
    void measure();
    void averageTruncatesTheLength_data();
    void averageTruncatesTheLength();
    void averageMean_data();
    void averageMean();
    void calibrate_data();
    void calibrate();
    void calibrateStopsAfterPassLimit();
    void calibrateWithoutCounter();
};

void tst_NanoPause::init()
{
    failOnAnyWarning();
    ScriptedCounter::reset();
}

void tst_NanoPause::construction_data()
{
    QTest::addColumn<qint64>("scriptedFrequency");
    QTest::addColumn<bool>("querySucceeds");
    QTest::addColumn<qint64>("expectedFrequency");
    QTest::addColumn<bool>("expectedAvailable");

    QTest::newRow("one tick per microsecond") << qint64(1000000) << true << qint64(1000000) << true;
    QTest::newRow("nanoseconds") << qint64(1000000000) << true << qint64(1000000000) << true;
    QTest::newRow("ACPI timer rate") << qint64(3579545) << true << qint64(3579545) << true;
    QTest::newRow("query fails: Frequency 1") << qint64(1000000) << false << qint64(1) << false;
}

void tst_NanoPause::construction()
{
    QFETCH(qint64, scriptedFrequency);
    QFETCH(bool, querySucceeds);
    QFETCH(qint64, expectedFrequency);
    QFETCH(bool, expectedAvailable);

    ScriptedCounter::setFrequency(scriptedFrequency);
    if (!querySucceeds) {
        ScriptedCounter::failFrequencyQuery();
    }
    const NanoPause pause;

    QCOMPARE(pause.Frequency, expectedFrequency);
    QCOMPARE(pause.CounterAvailable != 0, expectedAvailable);
    QCOMPARE(ScriptedCounter::frequencyQueries(), 1);
    QCOMPARE(ScriptedCounter::counterReads(), 0);
}

void tst_NanoPause::pause_data()
{
    QTest::addColumn<qint64>("frequency");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<qint64>("expectedLoopReadings");
    QTest::addColumn<qint64>("expectedWaitedTicks");

    // Zero and negative lengths: one reading after the start reading, even on a counter that
    // stands still.
    QTest::newRow("0 us, still counter")
        << qint64(1000000) << qint64(0) << qint64(0) << qint64(1) << qint64(0);
    QTest::newRow("0 us, moving counter")
        << qint64(1000000) << qint64(0) << qint64(1) << qint64(1) << qint64(1);
    QTest::newRow("-1 us") << qint64(1000000) << qint64(-1) << qint64(0) << qint64(1) << qint64(0);
    QTest::newRow("-600000 us at 10^9/s")
        << qint64(1000000000) << qint64(-600000) << qint64(0) << qint64(1) << qint64(0);
    // On a clock of one tick per reading, the loop readings are the tick target it waited for.
    // At 3 ticks per second the targets are truncated: never shorter, up to a tick short of
    // the exact length.
    QTest::newRow("3/s, 1000000 us: 3 ticks")
        << qint64(3) << qint64(1000000) << qint64(1) << qint64(3) << qint64(3);
    QTest::newRow("3/s, 999999 us: 2.999997 ticks, 2")
        << qint64(3) << qint64(999999) << qint64(1) << qint64(2) << qint64(2);
    QTest::newRow("3/s, 333334 us: 1.000002 ticks, 1")
        << qint64(3) << qint64(333334) << qint64(1) << qint64(1) << qint64(1);
    QTest::newRow("3/s, 333333 us: 0.999999 ticks, 0")
        << qint64(3) << qint64(333333) << qint64(1) << qint64(1) << qint64(1);
    QTest::newRow("10^6/s, 600 us")
        << qint64(1000000) << qint64(600) << qint64(1) << qint64(600) << qint64(600);
    QTest::newRow("10^6/s, 300000 us")
        << qint64(1000000) << qint64(300000) << qint64(1) << qint64(300000) << qint64(300000);
    QTest::newRow("10^9/s, 600 us, 1000 ticks a reading")
        << qint64(1000000000) << qint64(600) << qint64(1000) << qint64(600) << qint64(600000);
    // A coarse counter: the loop ends at the first reading at or past the target.
    QTest::newRow("10^9/s, 600 us, 250000 ticks a reading")
        << qint64(1000000000) << qint64(600) << qint64(250000) << qint64(3) << qint64(750000);
}

void tst_NanoPause::pause()
{
    QFETCH(qint64, frequency);
    QFETCH(qint64, length);
    QFETCH(qint64, step);
    QFETCH(qint64, expectedLoopReadings);
    QFETCH(qint64, expectedWaitedTicks);

    ScriptedCounter::setFrequency(frequency);
    ScriptedCounter::setStep(step);
    NanoPause pause;

    QVERIFY(pause.Pause(length));

    const std::vector<std::int64_t>& readings = ScriptedCounter::readings();
    QCOMPARE(ScriptedCounter::counterReads(), 1 + expectedLoopReadings);
    QCOMPARE(readings.back() - readings.front(), expectedWaitedTicks);
}

void tst_NanoPause::pauseWithoutCounter_data()
{
    QTest::addColumn<qint64>("length");

    QTest::newRow("0 us") << qint64(0);
    QTest::newRow("600 us") << qint64(600);
    QTest::newRow("300000 us") << qint64(300000);
    QTest::newRow("-5 us") << qint64(-5);
}

void tst_NanoPause::pauseWithoutCounter()
{
    QFETCH(qint64, length);

    ScriptedCounter::failFrequencyQuery();
    NanoPause pause;

    QVERIFY(!pause.Pause(length));
    QCOMPARE(ScriptedCounter::counterReads(), 0);
}

void tst_NanoPause::measure_data()
{
    QTest::addColumn<qint64>("frequency");
    QTest::addColumn<bool>("querySucceeds");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QList<qint64>>("readings");
    QTest::addColumn<double>("expected");

    // Readings: before, the pause's start, its loop, after.
    QTest::newRow("10^6/s: the raw difference")
        << qint64(1000000) << true << qint64(600) << QList<qint64>{100, 100, 700, 705} << 605.0;
    QTest::newRow("10^9/s: truncated to whole microseconds")
        << qint64(1000000000) << true << qint64(600) << QList<qint64>{0, 10, 600010, 600999}
        << 600.0;
    QTest::newRow("3/s: 4 ticks are 1333333 us")
        << qint64(3) << true << qint64(1000000) << QList<qint64>{0, 0, 3, 4} << 1333333.0;
    QTest::newRow("counter ran backwards: truncated toward zero")
        << qint64(3) << true << qint64(0) << QList<qint64>{10, 5, 5, 5} << -1666666.0;
    // The pause returns at once without reading: only before and after.
    QTest::newRow("query failed: raw difference times 1000000")
        << qint64(1000000) << false << qint64(600) << QList<qint64>{100, 107} << 7000000.0;
    QTest::newRow("query failed, counter still")
        << qint64(1000000) << false << qint64(0) << QList<qint64>{5, 5} << 0.0;
}

void tst_NanoPause::measure()
{
    QFETCH(qint64, frequency);
    QFETCH(bool, querySucceeds);
    QFETCH(qint64, length);
    QFETCH(QList<qint64>, readings);
    QFETCH(double, expected);

    ScriptedCounter::setFrequency(frequency);
    if (!querySucceeds) {
        ScriptedCounter::failFrequencyQuery();
    }
    ScriptedCounter::queueReadings(std::vector<std::int64_t>(readings.begin(), readings.end()));
    NanoPause pause;

    const double measured = pause.Measure(length);

    COMPARE_EXACTLY(measured, expected);
    COMPARE_EXACTLY(measured, std::trunc(measured));
    QCOMPARE(ScriptedCounter::counterReads(), readings.size());
    QCOMPARE(ScriptedCounter::queuedReadingsLeft(), std::size_t(0));
}

void tst_NanoPause::averageTruncatesTheLength_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<qint64>("expectedTickTarget");

    QTest::newRow("587.9 us: 20 pauses of 587") << 587.9 << qint64(587);
    QTest::newRow("600.0 us") << 600.0 << qint64(600);
    QTest::newRow("599.999 us") << 599.999 << qint64(599);
    QTest::newRow("1.5 us") << 1.5 << qint64(1);
    QTest::newRow("0.9 us") << 0.9 << qint64(0);
    QTest::newRow("-587.9 us") << -587.9 << qint64(-587);
}

void tst_NanoPause::averageTruncatesTheLength()
{
    QFETCH(double, length);
    QFETCH(qint64, expectedTickTarget);

    // One tick per microsecond and per reading: each pause's loop reads as often as its tick
    // target, once at the least, and its Measure counts those plus the start and the after
    // readings.
    NanoPause pause;
    const qint64 loopReadings = std::max<qint64>(expectedTickTarget, 1);

    const double average = pause.Average(length);

    QCOMPARE(ScriptedCounter::counterReads(),
             MeasurementsPerAverage * (ReadingsAroundTheLoop + loopReadings));
    COMPARE_EXACTLY(average, static_cast<double>(loopReadings + 2));
}

void tst_NanoPause::averageMean_data()
{
    QTest::addColumn<QList<qint64>>("measurements");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("needsExtendedFactor");

    QTest::newRow("all 600") << repeated(20, 600) << 600.0 << false;
    QTest::newRow("sum 12258: 612.9") << repeated(18, 613) + repeated(2, 612) << 612.9 << false;
    QTest::newRow("sum 11742: 587.1") << repeated(18, 587) + repeated(2, 588) << 587.1 << false;
    // Here a factor 0.05 in double precision would give 600.05000000000007 and
    // 0.15000000000000002: the extended factor rounds to the nearest double of the mean.
    QTest::newRow("sum 12001: 600.05, extended factor")
        << repeated(19, 600) + repeated(1, 601) << 600.05 << true;
    QTest::newRow("sum 3: 0.15, extended factor")
        << repeated(17, 0) + repeated(3, 1) << 0.15 << true;
}

void tst_NanoPause::averageMean()
{
    QFETCH(QList<qint64>, measurements);
    QFETCH(double, expected);
    QFETCH(bool, needsExtendedFactor);

    if (needsExtendedFactor && !longDoubleIsExtended()) {
        QSKIP("long double is no wider than double on this platform");
    }
    QCOMPARE(measurements.size(), MeasurementsPerAverage);
    scriptMeasurements(measurements);
    NanoPause pause;

    // Length 0: every scripted measurement ends its pause at the first loop reading.
    COMPARE_EXACTLY(pause.Average(0.0), expected);
    QCOMPARE(ScriptedCounter::queuedReadingsLeft(), std::size_t(0));
    QCOMPARE(ScriptedCounter::counterReads(), 4 * MeasurementsPerAverage);
}

void tst_NanoPause::calibrate_data()
{
    QTest::addColumn<qint64>("frequency");
    QTest::addColumn<QList<CalibrationPass>>("passes");
    QTest::addColumn<double>("expectedResult");

    // A pass ends when its second mean z lies strictly between 587 and 613: e is the absolute
    // value of (z - 600) truncated, and the tolerance is 12.
    QTest::newRow("z = 612.9 ends the pass")
        << qint64(1000000)
        << QList<CalibrationPass>{{repeated(20, 600), repeated(18, 613) + repeated(2, 612)}} << 0.0;
    QTest::newRow("z = 613.0 starts another pass")
        << qint64(1000000)
        << QList<CalibrationPass>{{repeated(20, 600), repeated(20, 613)},
                                  {repeated(20, 601), repeated(20, 599)}}
        << 1.0;
    // x = 614 shortens the second pauses to 586 microseconds.
    QTest::newRow("z = 587.1 ends the pass")
        << qint64(1000000)
        << QList<CalibrationPass>{{repeated(20, 614), repeated(18, 587) + repeated(2, 588)}}
        << 14.0;
    QTest::newRow("z = 587.0 starts another pass")
        << qint64(1000000)
        << QList<CalibrationPass>{{repeated(20, 614), repeated(20, 587)},
                                  {repeated(20, 602), repeated(20, 598)}}
        << 2.0;
    // x = 600.65, so the corrected length 599.35 is truncated to pauses of 599 microseconds
    // (the scripted 599 ticks are exactly that target); the result is x - 600 in double.
    QTest::newRow("fractional overrun")
        << qint64(1000000)
        << QList<CalibrationPass>{{repeated(19, 600) + repeated(1, 613), repeated(20, 599)}}
        << 600.65 - 600.0;
    // At 3579545 ticks per second a pause of 600 us waits 2147 ticks (2147.727 truncated),
    // which measure 599 us (599.797 truncated): the pauses were short, the overrun is -1. The
    // corrected 601 us wait 2151 ticks, which measure 600 us, and end the pass.
    QTest::newRow("pauses short: negative result")
        << qint64(3579545) << QList<CalibrationPass>{{repeated(20, 2147), repeated(20, 2151)}}
        << -1.0;
}

void tst_NanoPause::calibrate()
{
    QFETCH(qint64, frequency);
    QFETCH(QList<CalibrationPass>, passes);
    QFETCH(double, expectedResult);

    ScriptedCounter::setFrequency(frequency);
    for (const CalibrationPass& pass : passes) {
        QCOMPARE(pass.firstAverage.size(), MeasurementsPerAverage);
        QCOMPARE(pass.secondAverage.size(), MeasurementsPerAverage);
        scriptMeasurements(pass.firstAverage);
        scriptMeasurements(pass.secondAverage);
    }
    NanoPause pause;

    COMPARE_EXACTLY(pause.Calibrate(), expectedResult);
    QCOMPARE(calibrationPassesRead(), passes.size());
    // Every scripted reading used, and no more: each pause waited no longer than its script.
    QCOMPARE(ScriptedCounter::queuedReadingsLeft(), std::size_t(0));
    QCOMPARE(ScriptedCounter::counterReads(), passes.size() * 2 * MeasurementsPerAverage * 4);
    // Calibrate stores nothing in the timer.
    QCOMPARE(pause.Frequency, frequency);
    QVERIFY(pause.CounterAvailable != 0);
}

void tst_NanoPause::calibrateStopsAfterPassLimit()
{
    // 1000 ticks (1 ms) a reading: every Measure takes its four readings and 3000 us, so x =
    // 3000, the corrected length is -1800 and z = 3000: no pass comes within the tolerance.
    ScriptedCounter::setStep(1000);
    NanoPause pause;

    COMPARE_EXACTLY(pause.Calibrate(), 2400.0);
    QCOMPARE(calibrationPassesRead(), qint64(CalibrationPassLimit));
    QCOMPARE(ScriptedCounter::counterReads(),
             qint64(CalibrationPassLimit) * 2 * MeasurementsPerAverage * 4);
}

void tst_NanoPause::calibrateWithoutCounter()
{
    // A calibration with a counter first, for the reads to compare with: on one tick a
    // reading, x = 602 and z = 600 end the first pass, whose pauses of 600 and of 598 read
    // the counter once per tick.
    NanoPause withCounter;
    COMPARE_EXACTLY(withCounter.Calibrate(), 2.0);
    QCOMPARE(ScriptedCounter::counterReads(),
             MeasurementsPerAverage * (600 + ReadingsAroundTheLoop) +
                 MeasurementsPerAverage * (598 + ReadingsAroundTheLoop));

    ScriptedCounter::failFrequencyQuery();
    NanoPause pause;
    const qint64 readsBefore = ScriptedCounter::counterReads();

    COMPARE_EXACTLY(pause.Calibrate(), 0.0);
    QCOMPARE(calibrationPassesRead(readsBefore), qint64(0));
    QCOMPARE(ScriptedCounter::counterReads(), readsBefore);
}

QTEST_APPLESS_MAIN(tst_NanoPause)

#include "tst_nano_pause.moc"
