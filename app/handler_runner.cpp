#include "handler_runner.h"

#include "operator_error.h"

#include <cstdio>
#include <exception>

void HandlerRunner::run(const QString& key, const std::function<void()>& handler)
{
    if (busy) {
        for (const auto& entry : waiting) {
            if (entry.first == key) {
                return;
            }
        }
        waiting.emplace_back(key, handler);
        return;
    }
    busy = true;
    runGuarded(handler);
    while (!waiting.empty()) {
        const auto next = std::move(waiting.front());
        waiting.pop_front();
        runGuarded(next.second);
    }
    busy = false;
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
    if (display) {
        display(message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

HandlerRunner& applicationHandlers()
{
    static HandlerRunner runner;
    return runner;
}
