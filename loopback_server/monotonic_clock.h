// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <limits>

// The clock every arrival stamp is on: steady_clock, the same clock as CLOCK_MONOTONIC, so a
// client's own stamps compare with the server's.
[[nodiscard]] inline qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Dates a stamp taken on the wall clock (the kernel's arrival stamp) on the monotonic clock, by
// its age on a pair of readings of both clocks. A pair split by a preemption would misdate the
// stamp by the whole delay, and can make a 300 ms pulse look shorter, so a pair wider than a few
// microseconds is read again, a few times at most, and the tightest is kept. A wall clock set
// back meanwhile must not date the bytes in the future.
template <typename MonotonicClock, typename WallClock>
[[nodiscard]] qint64 wallStampOnMonotonic(qint64 wallStampNs, MonotonicClock monotonic,
                                          WallClock wall)
{
    constexpr qint64 TightPairNs = 20'000;
    constexpr int MostReadings = 4;
    qint64 narrowest = std::numeric_limits<qint64>::max();
    qint64 monotonicNow = 0;
    qint64 wallNow = 0;
    for (int reading = 0; reading < MostReadings && narrowest > TightPairNs; ++reading) {
        const qint64 before = monotonic();
        const qint64 wallReading = wall();
        const qint64 after = monotonic();
        if (after - before < narrowest) {
            narrowest = after - before;
            monotonicNow = before + narrowest / 2;
            wallNow = wallReading;
        }
    }
    return monotonicNow - std::max<qint64>(0, wallNow - wallStampNs);
}
