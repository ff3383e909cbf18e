// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

// The high-resolution performance counter that the pause timer busy-waits on, in the calling
// shapes of the Windows functions of the same names: each fills the given place and returns
// nonzero on success. On Windows they forward to the platform's own; elsewhere they read
// CLOCK_MONOTONIC in nanoseconds, so the rate is 1000000000 ticks per second and the count
// never decreases while the program runs.
//
// The pause timer (nano_pause) calls these but does not link an implementation: the program
// links the library performance_counter, the tests link a scripted one instead.

// Fills `frequency` with the counter's rate in ticks per second; returns zero, and fills 0,
// when the counter can't be used.
[[nodiscard]] int QueryPerformanceFrequency(std::int64_t* frequency);

// Fills `count` with the counter's current value. The pause timer never examines the result,
// since the counter cannot fail once the rate was had, so it is not [[nodiscard]].
int QueryPerformanceCounter(std::int64_t* count);
