// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <QWindow>

#include <functional>

// Runs the event loop until `done` holds; false when the time ran out first.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Shows the window and waits until it is on screen, so what follows measures the running
// window and not its first paint; false when it never came up.
inline bool showOnScreen(QWidget& window)
{
    window.show();
    return waitFor(
        [&window] { return window.windowHandle() && window.windowHandle()->isExposed(); });
}
