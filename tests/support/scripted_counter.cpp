// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "scripted_counter.h"

#include "performance_counter.h"

#include <cstdio>
#include <deque>
#include <stdexcept>

namespace {

// Far more than any test needs (the longest scripted pause reads 300001 times): a timer whose
// wait never ends fails its test here instead of running until the memory is gone.
constexpr std::size_t ReadLimit = 1000000;

struct Script
{
    std::int64_t frequency = 1000000;
    bool frequencyQuerySucceeds = true;
    std::deque<std::int64_t> queued;
    std::int64_t step = 1;
    std::int64_t nextUnqueuedReading = 0;
    std::int64_t frequencyQueries = 0;
    std::vector<std::int64_t> delivered;
};

Script& script()
{
    static Script theScript;
    return theScript;
}

} // namespace

int QueryPerformanceFrequency(std::int64_t* frequency)
{
    Script& s = script();
    ++s.frequencyQueries;
    *frequency = s.frequencyQuerySucceeds ? s.frequency : 0;
    return s.frequencyQuerySucceeds ? 1 : 0;
}

int QueryPerformanceCounter(std::int64_t* count)
{
    Script& s = script();
    if (s.delivered.size() >= ReadLimit) {
        std::fputs("scripted counter: read limit reached, the pause never ends\n", stderr);
        throw std::runtime_error("scripted counter: read limit reached");
    }
    std::int64_t reading = s.nextUnqueuedReading;
    if (!s.queued.empty()) {
        reading = s.queued.front();
        s.queued.pop_front();
    }
    s.nextUnqueuedReading = reading + s.step;
    s.delivered.push_back(reading);
    *count = reading;
    return 1;
}

namespace ScriptedCounter {

void reset()
{
    script() = Script{};
}

void setFrequency(std::int64_t ticksPerSecond)
{
    script().frequency = ticksPerSecond;
}

void failFrequencyQuery()
{
    script().frequencyQuerySucceeds = false;
}

void queueReadings(const std::vector<std::int64_t>& readings)
{
    script().queued.insert(script().queued.end(), readings.begin(), readings.end());
}

void setStep(std::int64_t ticksPerReading)
{
    script().step = ticksPerReading;
}

std::int64_t frequencyQueries()
{
    return script().frequencyQueries;
}

std::int64_t counterReads()
{
    return static_cast<std::int64_t>(script().delivered.size());
}

const std::vector<std::int64_t>& readings()
{
    return script().delivered;
}

std::size_t queuedReadingsLeft()
{
    return script().queued.size();
}

} // namespace ScriptedCounter
