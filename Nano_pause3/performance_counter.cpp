// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "performance_counter.h"

#ifdef _WIN32

#include <windows.h>

// Our overloads take std::int64_t*, the platform's take LARGE_INTEGER*: the calls below with a
// LARGE_INTEGER* reach the platform's own.

int QueryPerformanceFrequency(std::int64_t* frequency)
{
    LARGE_INTEGER rate{};
    const BOOL succeeded = ::QueryPerformanceFrequency(&rate);
    *frequency = succeeded ? rate.QuadPart : 0;
    return succeeded;
}

int QueryPerformanceCounter(std::int64_t* count)
{
    LARGE_INTEGER now{};
    const BOOL succeeded = ::QueryPerformanceCounter(&now);
    if (succeeded) {
        *count = now.QuadPart;
    }
    return succeeded;
}

#else

#include <ctime>

namespace {
constexpr std::int64_t NanosecondsPerSecond = 1000000000;
}

int QueryPerformanceFrequency(std::int64_t* frequency)
{
    // The rate is fixed by the unit we count in; the query only asks whether the clock exists.
    timespec resolution{};
    const bool available = clock_getres(CLOCK_MONOTONIC, &resolution) == 0;
    *frequency = available ? NanosecondsPerSecond : 0;
    return available ? 1 : 0;
}

int QueryPerformanceCounter(std::int64_t* count)
{
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        return 0;
    }
    // 2^63 ns are 292 years of uptime, so the product stays in range.
    *count = static_cast<std::int64_t>(now.tv_sec) * NanosecondsPerSecond + now.tv_nsec;
    return 1;
}

#endif
