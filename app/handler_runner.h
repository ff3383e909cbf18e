// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <utility>

// Every event handler runs through here. An exception a handler raises stops that handler,
// is shown to the operator, and the program goes on. While one handler (or the display of its
// error, which may run a nested event loop) is busy, further handlers wait their turn instead
// of running inside it.
class HandlerRunner
{
public:
    using Display = std::function<void(const QString& message)>;

    void setDisplay(Display newDisplay) { m_display = std::move(newDisplay); }

    // Runs the handler now, or after the one that is busy. Every call runs: a second press of
    // a toggle is an action of its own.
    void run(const std::function<void()>& handler);

    // The same for a handler that takes whatever is there when it runs, such as a read, so that
    // a second run would change nothing: while one under the same key waits, another call
    // under that key is not queued.
    void runMerged(const QString& key, const std::function<void()>& handler);

    // Shows a message through the same display and in the same turn-taking as the handlers;
    // the same message already waiting is not shown twice.
    void report(const QString& message);

private:
    void runOrQueue(const QString& mergeKey, const std::function<void()>& handler);
    void runGuarded(const std::function<void()>& handler);
    void show(const QString& message);

    Display m_display;
    bool m_busy = false;
    // Each waiting handler with the key it merges under; empty for one that always runs.
    std::deque<std::pair<QString, std::function<void()>>> m_waiting;
};

// The one runner of the application.
[[nodiscard]] HandlerRunner& applicationHandlers();
