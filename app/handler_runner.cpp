// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "handler_runner.h"

#include "eoperator_error.h"

#include <cstdio>
#include <exception>

void HandlerRunner::run(const QString& key, const std::function<void()>& handler)
{
    if (m_busy) {
        for (const auto& entry : m_waiting) {
            if (entry.first == key) {
                return;
            }
        }
        m_waiting.emplace_back(key, handler);
        return;
    }
    m_busy = true;
    runGuarded(handler);
    while (!m_waiting.empty()) {
        const auto next = std::move(m_waiting.front());
        m_waiting.pop_front();
        runGuarded(next.second);
    }
    m_busy = false;
}

void HandlerRunner::report(const QString& message)
{
    run(QStringLiteral("report:") + message, [this, message] { show(message); });
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
    if (m_display) {
        m_display(message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

HandlerRunner& applicationHandlers()
{
    static HandlerRunner runner;
    return runner;
}
