// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A scripted performance counter: a second implementation of QueryPerformanceFrequency and
// QueryPerformanceCounter (performance_counter.h) for tests of the pause timer. A test links
// it together with nano_pause instead of the library performance_counter, and then decides
// every value the timer sees, so that the timer's arithmetic can be checked exactly and
// nothing in the test depends on the machine's speed.
//
// How to script it (call reset() first, in the test class's init()):
// - The frequency query delivers setFrequency()'s rate (default 1000000, one tick per
//   microsecond) and succeeds; after failFrequencyQuery() it fills 0 and returns zero, as the
//   platform's query does when there is no counter.
// - Each counter reading is the next value queued with queueReadings(), in order, while any
//   are left. When none are left, a reading is the previous reading plus setStep()'s ticks
//   (default 1; the first reading ever is 0). So a test can
//     * leave the queue empty: a clock advancing one tick per reading, on which a pause's
//       reading count tells the tick target it waited for;
//     * set the step to 0: a counter that stands still;
//     * queue exact readings: for NanoPause::Measure(length) the timer reads before, at the
//       start of the pause, in each pass of the wait loop, and after, so the four readings
//       T, T, T + d, T + d (d at least the tick target) make that Measure return d ticks.
// - counterReads(), frequencyQueries() and readings() record what the timer asked for, and
//   queuedReadingsLeft() what it did not consume.
// - After a million readings the counter throws, so that a wait that never ends fails its test
//   at once.
//
// The counter is global, as the real one is; tests run on one thread.
namespace ScriptedCounter {

void reset();
void setFrequency(std::int64_t ticksPerSecond);
void failFrequencyQuery();
void queueReadings(const std::vector<std::int64_t>& readings);
void setStep(std::int64_t ticksPerReading);

[[nodiscard]] std::int64_t frequencyQueries();
[[nodiscard]] std::int64_t counterReads();
// Every reading delivered since reset(), in order.
[[nodiscard]] const std::vector<std::int64_t>& readings();
[[nodiscard]] std::size_t queuedReadingsLeft();

} // namespace ScriptedCounter
