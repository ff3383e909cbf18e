// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <chrono>

// The clock every arrival stamp is on: steady_clock, the same clock as CLOCK_MONOTONIC, so a
// client's own stamps compare with the server's.
[[nodiscard]] inline qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
