// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "conversion.h"
#include "handler_runner.h"
#include "warnings_fail.h"

#include <QStringList>
#include <QTest>

#include <stdexcept>

class tst_HandlerRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void errorIsShownAndStopsOnlyThatHandler()
    {
        HandlerRunner runner;
        QStringList shown;
        runner.setDisplay([&shown](const QString& message) { shown << message; });
        QStringList steps;
        runner.run([&steps] {
            steps << "before";
            (void)StrToInt(QStringLiteral("12a"));
            steps << "after";
        });
        runner.run([&steps] { steps << "next handler"; });
        QCOMPARE(steps, QStringList({"before", "next handler"}));
        QCOMPARE(shown, QStringList{QStringLiteral("'12a' ist kein gültiger Integerwert")});
    }

    // An operator may paste a NUL into a field; the message must not end there.
    void messageIsShownWholeEvenPastANul()
    {
        HandlerRunner runner;
        QStringList shown;
        runner.setDisplay([&shown](const QString& message) { shown << message; });
        const QString text = QStringLiteral("5") + QChar(u'\0') + QStringLiteral("6");
        runner.run([&text] { (void)StrToInt(text); });
        QCOMPARE(shown,
                 QStringList{QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text)});
    }

    void anyExceptionIsShown()
    {
        HandlerRunner runner;
        QStringList shown;
        runner.setDisplay([&shown](const QString& message) { shown << message; });
        runner.run([] { throw std::logic_error("kaputt"); });
        runner.run([] { throw 42; });
        QCOMPARE(shown, QStringList({"kaputt", "Unbekannter Fehler"}));
    }

    // A display may run a nested event loop; events served there must wait their turn. A read
    // takes everything waiting, so a second one merges into the first.
    void handlersRaisedDuringDisplayRunAfterwardsInOrder()
    {
        HandlerRunner runner;
        QStringList order;
        runner.setDisplay([&](const QString& message) {
            order << "display " + message;
            runner.runMerged(QStringLiteral("read"), [&order] { order << "read"; });
            runner.run([&order] { order << "click"; });
            runner.runMerged(QStringLiteral("read"), [&order] { order << "read again"; });
            order << "display closed";
        });
        runner.run([&order] {
            order << "pulse";
            throw std::runtime_error("x");
        });
        QCOMPARE(order, QStringList({"pulse", "display x", "display closed", "read", "click"}));
        runner.runMerged(QStringLiteral("read"), [&order] { order << "later read"; });
        QCOMPARE(order.last(), QStringLiteral("later read"));
    }

    // A display that fails leaves the runner as it was: what waited runs, and so does the next.
    void displayThatThrowsHoldsNoHandlerBack()
    {
        HandlerRunner runner;
        QStringList order;
        runner.setDisplay([&](const QString&) {
            runner.run([&order] { order << "pressed while shown"; });
            throw std::runtime_error("display broke");
        });
        runner.run([] { throw std::runtime_error("x"); });
        runner.run([&order] { order << "next handler"; });
        QCOMPARE(order, QStringList({"pressed while shown", "next handler"}));
    }

    void reportUsesTheSameDisplay()
    {
        HandlerRunner runner;
        QStringList shown;
        runner.setDisplay([&shown](const QString& message) { shown << message; });
        runner.report(QStringLiteral("Verbindung verloren"));
        QCOMPARE(shown, QStringList{QStringLiteral("Verbindung verloren")});
    }
};

QTEST_APPLESS_MAIN(tst_HandlerRunner)
#include "tst_handler_runner.moc"
