// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "nano_pause.h"

#include "performance_counter.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::int64_t MicrosecondsPerSecond = 1000000;
constexpr int MeasurementsPerAverage = 20;
// The mean is the sum times 1/20 with the factor in extended precision and the product rounded
// to double: a double 0.05 would be off in the last bit for many sums (it
// makes 600.05000000000007 of a sum of 12001).
constexpr long double AverageFactor = 0.05L;

// Truncates toward zero. A value beyond the integer's range (or NaN) has no
// defined conversion in C++, so it saturates instead: only a counter gone wild can produce
// one, and then any saturated value is as far outside the tolerance as the true one.
template <typename Integer> Integer truncateTowardZero(double value)
{
    constexpr auto lowest = static_cast<double>(std::numeric_limits<Integer>::min());
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= lowest) {
        return std::numeric_limits<Integer>::min();
    }
    if (value >= -lowest) {
        return std::numeric_limits<Integer>::max();
    }
    return static_cast<Integer>(value);
}

} // namespace

NanoPause::NanoPause()
{
    CounterAvailable = static_cast<std::int32_t>(QueryPerformanceFrequency(&Frequency));
    if (CounterAvailable == 0) {
        Frequency = 1;
    }
}

bool NanoPause::Pause(std::int64_t length)
{
    if (CounterAvailable == 0) {
        return false;
    }
    std::int64_t start = 0;
    QueryPerformanceCounter(&start);
    // Computed after the start reading, so that its own time counts toward the pause.
    const std::int64_t targetTicks = length * Frequency / MicrosecondsPerSecond;
    // A busy wait on purpose: its resolution is one counter tick, where a sleep or a yield
    // would hand the thread to the scheduler for a time slice. The loop only reads the counter
    // (no event processing either): during a pause nothing else in the program runs.
    std::int64_t now = 0;
    do {
        QueryPerformanceCounter(&now);
    } while (now - start < targetTicks);
    return true;
}

double NanoPause::Measure(std::int64_t length)
{
    std::int64_t before = 0;
    std::int64_t after = 0;
    QueryPerformanceCounter(&before);
    // Without a counter Pause returns false at once; the measurement is taken all the same.
    Pause(length);
    QueryPerformanceCounter(&after);
    // Whole microseconds on purpose: the integer division truncates, then the result widens.
    const std::int64_t elapsedMicroseconds = (after - before) * MicrosecondsPerSecond / Frequency;
    return static_cast<double>(elapsedMicroseconds);
}

double NanoPause::Average(double length)
{
    const std::int64_t wholeMicroseconds = truncateTowardZero<std::int64_t>(length);
    std::array<double, MeasurementsPerAverage> results{};
    for (double& result : results) {
        result = Measure(wholeMicroseconds);
    }
    double sum = 0.0;
    for (const double result : results) {
        sum += result;
    }
    return static_cast<double>(static_cast<long double>(sum) * AverageFactor);
}

double NanoPause::Calibrate()
{
    // Without a counter no pass could come near the target: return at once.
    if (CounterAvailable == 0) {
        return 0.0;
    }
    const double target = CalibrationTarget;
    const std::int32_t tolerance = CalibrationTarget / 50;
    // One pass: measure the target, measure again with the overrun taken off, and stop once
    // that second mean lies within the tolerance.
    for (std::int32_t passes = 1;; ++passes) {
        const double measured = Average(target);
        const double overrun = measured - target;
        const double correctedLength = target - overrun;
        const double corrected = Average(correctedLength);
        // The truncation comes first, the absolute value is taken of the integer (in 64 bits,
        // so that a saturated minimum has one).
        const std::int64_t error = std::abs(
            static_cast<std::int64_t>(truncateTowardZero<std::int32_t>(corrected - target)));
        if (error <= tolerance || passes >= CalibrationPassLimit) {
            return overrun;
        }
    }
}
