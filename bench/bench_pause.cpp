// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Figures of the pause timer on the real counter: how far pauses overrun their length and how
// long a calibration takes (in passes' worth of time too), each as median, p95 and max, and as
// ratios against the cost of one counter read measured in the same run.
// Run by hand: build/bench/bench_pause

#include "bench_stats.h"
#include "nano_pause.h"
#include "performance_counter.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

double microsecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count();
}

// Nanoseconds per counter read, one figure per batch of reads.
std::vector<double> counterReadCosts(int batches, int readsPerBatch)
{
    std::vector<double> costs;
    std::int64_t sink = 0;
    for (int batch = 0; batch < batches; ++batch) {
        const SteadyClock::time_point start = SteadyClock::now();
        for (int read = 0; read < readsPerBatch; ++read) {
            std::int64_t now = 0;
            QueryPerformanceCounter(&now);
            sink ^= now;
        }
        costs.push_back(microsecondsSince(start) * 1000.0 / readsPerBatch);
    }
    // Keeps the reads from being optimised away.
    if (sink == 42) {
        std::puts("");
    }
    return costs;
}

// Microseconds that each pause took beyond `length`, timed from outside.
std::vector<double> pauseOverruns(NanoPause& pause, std::int64_t length, int runs)
{
    std::vector<double> overruns;
    for (int run = 0; run < runs; ++run) {
        const SteadyClock::time_point start = SteadyClock::now();
        pause.Pause(length);
        overruns.push_back(microsecondsSince(start) - static_cast<double>(length));
    }
    return overruns;
}

void printRow(const char* name, const Summary& summary, const char* unit, std::size_t count)
{
    std::printf("%-34s median %10.3f  p95 %10.3f  max %10.3f  %s  (n=%zu)\n", name, summary.median,
                summary.p95, summary.max, unit, count);
}

} // namespace

int main()
{
    NanoPause pause;
    std::printf("counter: %lld ticks per second, available %d\n",
                static_cast<long long>(pause.Frequency), pause.CounterAvailable);
    if (pause.CounterAvailable == 0) {
        std::puts("no counter: nothing to measure");
        return 1;
    }

    const std::vector<double> readCosts = counterReadCosts(50, 100000);
    const Summary readCost = summarize(readCosts);
    printRow("baseline: one counter read", readCost, "ns", readCosts.size());

    const std::vector<double> shortOverruns = pauseOverruns(pause, 600, 1000);
    const Summary shortPause = summarize(shortOverruns);
    printRow("Pause(600) overrun", shortPause, "us", shortOverruns.size());

    const std::vector<double> longOverruns = pauseOverruns(pause, 300000, 20);
    const Summary longPause = summarize(longOverruns);
    printRow("Pause(300000) overrun", longPause, "us", longOverruns.size());

    std::vector<double> calibrationTimes;
    std::vector<double> calibrationResults;
    for (int calibration = 0; calibration < 20; ++calibration) {
        const SteadyClock::time_point start = SteadyClock::now();
        calibrationResults.push_back(pause.Calibrate());
        calibrationTimes.push_back(microsecondsSince(start) / 1000.0);
    }
    const Summary calibrationTime = summarize(calibrationTimes);
    printRow("Calibrate time", calibrationTime, "ms", calibrationTimes.size());
    printRow("Calibrate result (overrun)", summarize(calibrationResults), "us",
             calibrationResults.size());

    // Ratios against the baseline: overruns in counter reads; a calibration against the 40
    // pauses of 600 us that one pass at least waits.
    const double readMicroseconds = readCost.median / 1000.0;
    std::printf(
        "ratio: Pause(600) overrun / counter read      median %8.1f  p95 %8.1f  max %8.1f\n",
        shortPause.median / readMicroseconds, shortPause.p95 / readMicroseconds,
        shortPause.max / readMicroseconds);
    std::printf(
        "ratio: Pause(300000) overrun / counter read   median %8.1f  p95 %8.1f  max %8.1f\n",
        longPause.median / readMicroseconds, longPause.p95 / readMicroseconds,
        longPause.max / readMicroseconds);
    const double onePassMilliseconds = 40 * (600.0 + shortPause.median) / 1000.0;
    std::printf("ratio: Calibrate time / one pass (40 x median Pause(600) = %.3f ms)  median %.2f"
                "  p95 %.2f  max %.2f\n",
                onePassMilliseconds, calibrationTime.median / onePassMilliseconds,
                calibrationTime.p95 / onePassMilliseconds,
                calibrationTime.max / onePassMilliseconds);
    return 0;
}
