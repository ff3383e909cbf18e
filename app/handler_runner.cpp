// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "handler_runner.h"

#include "eoperator_error.h"

#include <QScopeGuard>

#include <algorithm>
#include <cstdio>
#include <exception>

void HandlerRunner::run(const std::function<void()>& handler)
{
    runOrQueue(QString(), handler);
}

void HandlerRunner::runMerged(const QString& key, const std::function<void()>& handler)
{
    runOrQueue(key, handler);
}

void HandlerRunner::report(const QString& message)
{
    runMerged(QStringLiteral("report:") + message, [this, message] { show(message); });
}

void HandlerRunner::runOrQueue(const QString& mergeKey, const std::function<void()>& handler)
{
    if (m_busy) {
        const bool merged = !mergeKey.isEmpty() &&
                            std::any_of(m_waiting.begin(), m_waiting.end(),
                                        [&](const auto& entry) { return entry.first == mergeKey; });
        if (!merged) {
            m_waiting.emplace_back(mergeKey, handler);
        }
        return;
    }
    m_busy = true;
    // Whatever escapes below, later handlers must not wait forever behind a stale flag.
    const auto idle = qScopeGuard([this] { m_busy = false; });
    runGuarded(handler);
    while (!m_waiting.empty()) {
        const auto next = std::move(m_waiting.front());
        m_waiting.pop_front();
        runGuarded(next.second);
    }
}

void HandlerRunner::runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const EOperatorError& error) {
        show(error.message());
    } catch (const std::exception& error) {
        show(QString::fromUtf8(error.what()));
    } catch (...) {
        show(QStringLiteral("Unbekannter Fehler"));
    }
}

void HandlerRunner::show(const QString& message)
{
    bool shown = false;
    if (m_display) {
        try {
            m_display(message);
            shown = true;
        } catch (...) {
            // Nothing may leave here and cross Qt's frames of the event that started the
            // handler; the message goes to the error output instead.
            shown = false;
        }
    }
    if (!shown) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

HandlerRunner& applicationHandlers()
{
    static HandlerRunner runner;
    return runner;
}
