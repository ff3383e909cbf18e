// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

// The pause length that Calibrate measures and aims at, in microseconds.
inline constexpr std::int32_t CalibrationTarget = 600;

// Calibrate ends after this many passes even when its measurements never come within the
// tolerance (a loaded machine), so that the window's start-up can't hang on it.
inline constexpr std::int32_t CalibrationPassLimit = 50;

// Precision pause timer: holds the calling thread for a number of microseconds by
// busy-waiting on the performance counter, and times and averages such pauses.
//
// Tick arithmetic is signed 64-bit, multiplication before division, truncating toward zero,
// with no overflow test: a length in microseconds times Frequency, and an elapsed tick count
// times 1000000, must stay within the signed 64-bit range (at 10^9 ticks per second, lengths
// up to about 2.5 hours).
class NanoPause
{
public:
    // Queries the counter's rate once; nothing changes the two fields afterwards.
    NanoPause();

    // Waits until `length` microseconds' worth of ticks have passed and returns true; returns
    // false at once, reading nothing, when the counter is not available. A length of 0 or
    // below reads the counter once after its start reading and returns.
    bool Pause(std::int64_t length);

    // The whole microseconds that one Pause(length) took, from just before the call to just
    // after it.
    [[nodiscard]] double Measure(std::int64_t length);

    // The mean of 20 Measure results for `length` truncated toward zero.
    [[nodiscard]] double Average(double length);

    // The overrun of a pause of CalibrationTarget microseconds (mean measured duration minus
    // 600); may be negative. Stores nothing in the timer: Pause always waits for the length it
    // is given.
    double Calibrate();

    // Rate of the counter in ticks per second as the query delivered it; 1 when it failed.
    std::int64_t Frequency = 0;
    // The frequency query's result: nonzero when the counter can be used.
    std::int32_t CounterAvailable = 0;
};
