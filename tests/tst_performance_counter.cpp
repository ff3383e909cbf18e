// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "nano_pause.h"
#include "performance_counter.h"
#include "warnings_fail.h"

#include <QObject>
#include <QTest>

#include <chrono>
#include <cmath>
#include <cstdint>

// The real counter and the pause timer on it. The pauses are timed with std::chrono's
// steady_clock, which reads the same monotonic clock as the counter (CLOCK_MONOTONIC on Linux,
// the performance counter on Windows), so the lower bounds are strict; upper bounds are left
// to the benchmark, as a loaded machine may stretch any pause.

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::int64_t MicrosecondsPerSecond = 1000000;
constexpr std::int64_t NanosecondsPerSecond = 1000000000;

// The shortest time a pause of `length` can take: its tick target (as Pause computes it) in
// nanoseconds, rounded down.
std::int64_t shortestPauseNanoseconds(const NanoPause& pause, std::int64_t length)
{
    const std::int64_t targetTicks = length * pause.Frequency / MicrosecondsPerSecond;
    return targetTicks * NanosecondsPerSecond / pause.Frequency;
}

std::int64_t nanosecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now() - start).count();
}

} // namespace

class tst_PerformanceCounter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void frequency();
    void timerTakesTheRealRate();
    void counterNeverDecreases();
    void counterAdvances();
    void pauseNeverReturnsEarly_data();
    void pauseNeverReturnsEarly();
    void measureReturnsWholeMicroseconds_data();
    void measureReturnsWholeMicroseconds();
    void calibrateTerminates();
};

void tst_PerformanceCounter::init()
{
    failOnAnyWarning();
}

void tst_PerformanceCounter::frequency()
{
    std::int64_t rate = -1;
    QVERIFY(QueryPerformanceFrequency(&rate) != 0);
#ifdef _WIN32
    QVERIFY(rate > 0);
#else
    QCOMPARE(rate, NanosecondsPerSecond);
#endif
}

void tst_PerformanceCounter::timerTakesTheRealRate()
{
    std::int64_t rate = 0;
    QVERIFY(QueryPerformanceFrequency(&rate) != 0);

    const NanoPause pause;

    QCOMPARE(pause.Frequency, rate);
    QVERIFY(pause.CounterAvailable != 0);
}

void tst_PerformanceCounter::counterNeverDecreases()
{
    std::int64_t previous = 0;
    QVERIFY(QueryPerformanceCounter(&previous) != 0);
    for (int i = 0; i < 1000000; ++i) {
        std::int64_t now = 0;
        QVERIFY(QueryPerformanceCounter(&now) != 0);
        QVERIFY2(now >= previous, qPrintable(QStringLiteral("%1 after %2").arg(now).arg(previous)));
        previous = now;
    }
}

void tst_PerformanceCounter::counterAdvances()
{
    std::int64_t first = 0;
    std::int64_t now = 0;
    QueryPerformanceCounter(&first);
    const SteadyClock::time_point start = SteadyClock::now();
    do {
        QueryPerformanceCounter(&now);
    } while (now == first && SteadyClock::now() - start < std::chrono::seconds(10));
    QVERIFY(now > first);
}

void tst_PerformanceCounter::pauseNeverReturnsEarly_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<int>("runs");

    QTest::newRow("0 us") << qint64(0) << 20;
    QTest::newRow("1 us") << qint64(1) << 20;
    QTest::newRow("10 us") << qint64(10) << 20;
    QTest::newRow("600 us") << qint64(600) << 20;
    QTest::newRow("5000 us") << qint64(5000) << 10;
    QTest::newRow("300000 us") << qint64(300000) << 3;
}

void tst_PerformanceCounter::pauseNeverReturnsEarly()
{
    QFETCH(qint64, length);
    QFETCH(int, runs);

    NanoPause pause;
    const std::int64_t shortest = shortestPauseNanoseconds(pause, length);
    for (int run = 0; run < runs; ++run) {
        const SteadyClock::time_point start = SteadyClock::now();
        QVERIFY(pause.Pause(length));
        const std::int64_t elapsed = nanosecondsSince(start);
        QVERIFY2(elapsed >= shortest,
                 qPrintable(QStringLiteral("%1 ns, at least %2 ns").arg(elapsed).arg(shortest)));
    }
}

void tst_PerformanceCounter::measureReturnsWholeMicroseconds_data()
{
    QTest::addColumn<qint64>("length");

    QTest::newRow("0 us") << qint64(0);
    QTest::newRow("1 us") << qint64(1);
    QTest::newRow("600 us") << qint64(600);
    QTest::newRow("5000 us") << qint64(5000);
}

void tst_PerformanceCounter::measureReturnsWholeMicroseconds()
{
    QFETCH(qint64, length);

    NanoPause pause;
    for (int run = 0; run < 10; ++run) {
        const SteadyClock::time_point start = SteadyClock::now();
        const double measured = pause.Measure(length);
        const std::int64_t elapsed = nanosecondsSince(start);

        QCOMPARE(measured, std::trunc(measured));
        // At a rate of whole ticks per microsecond the conversion loses nothing of the target.
        if (pause.Frequency % MicrosecondsPerSecond == 0) {
            QVERIFY2(measured >= static_cast<double>(length),
                     qPrintable(QStringLiteral("%1 us for %2 us").arg(measured).arg(length)));
        }
        // The measurement lies within the time around it.
        QVERIFY(measured * 1000.0 <= static_cast<double>(elapsed));
    }
}

void tst_PerformanceCounter::calibrateTerminates()
{
    NanoPause pause;

    const SteadyClock::time_point start = SteadyClock::now();
    const double overrun = pause.Calibrate();
    const std::int64_t elapsed = nanosecondsSince(start);

    QVERIFY(std::isfinite(overrun));
    if (pause.Frequency % MicrosecondsPerSecond == 0) {
        // Every measured pause of 600 us took at least 600 us.
        QVERIFY(overrun >= 0.0);
    }
    // Its first pass alone waits through 20 pauses of 600 us. (How many passes it made, up to
    // the limit, tst_nano_pause counts on a scripted counter.)
    QVERIFY(elapsed >= 20 * shortestPauseNanoseconds(pause, CalibrationTarget));
}

QTEST_APPLESS_MAIN(tst_PerformanceCounter)

#include "tst_performance_counter.moc"
