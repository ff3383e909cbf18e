// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's event loop under a flood of server text: a 10 ms timer in the window's thread
// and how late each of its ticks comes (the time since the previous tick, less 10 ms) while a
// loopback sender on its own thread pushes 50 MB of answer-like lines and a last line, until
// the status line shows that last line. The baseline, measured in the same run before each
// flood, is the same timer with the window connected and nothing arriving.
// Figures are median, p95 and max in milliseconds, per run and over all runs.
// Run by hand: build/bench/bench_flood [runs]

#include "bench_stats.h"
#include "bench_wait.h"
#include "handler_runner.h"
#include "tform1.h"
#include "tstatus_bar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>
#include <vector>

namespace {

constexpr qsizetype FloodBytes = 50 * 1024 * 1024;
constexpr int TickMs = 10;
const QByteArray LastLine = "INFO 0 ENDE DER FLUT\r\n";

// One connection on its own thread: the flood, the last line, then it waits (bounded) for the
// window to hang up. Blocking Qt calls, no event loop needed.
class FloodSender
{
public:
    FloodSender()
    {
        std::promise<quint16> listening;
        std::future<quint16> port = listening.get_future();
        m_thread = std::thread([this, listening = std::move(listening)]() mutable {
            QTcpServer server;
            if (!server.listen(QHostAddress(QHostAddress::LocalHost), 0)) {
                listening.set_value(0);
                return;
            }
            listening.set_value(server.serverPort());
            if (!server.waitForNewConnection(10000)) {
                return;
            }
            QTcpSocket* connection = server.nextPendingConnection();
            const QByteArray line =
                QByteArray("INFO 1 GL 1 M1 1 0 100 0 4 0 0 0 0 ").leftJustified(62, '.') + "\r\n";
            const QByteArray block = line.repeated(1024);
            for (qsizetype sent = 0; sent < FloodBytes && !m_stop; sent += block.size()) {
                if (!sendAll(*connection, block)) {
                    return;
                }
            }
            if (!sendAll(*connection, LastLine)) {
                return;
            }
            for (int waited = 0; waited < 30000 && !m_stop &&
                                 connection->state() == QAbstractSocket::ConnectedState;
                 waited += 50) {
                connection->waitForReadyRead(50);
            }
        });
        m_port = port.get();
    }
    ~FloodSender()
    {
        m_stop = true;
        m_thread.join();
    }
    FloodSender(const FloodSender&) = delete;
    FloodSender& operator=(const FloodSender&) = delete;

    [[nodiscard]] quint16 port() const { return m_port; }

private:
    [[nodiscard]] bool sendAll(QTcpSocket& connection, const QByteArray& bytes) const
    {
        connection.write(bytes);
        QElapsedTimer stalled;
        stalled.start();
        while (connection.bytesToWrite() > 0) {
            if (m_stop || stalled.hasExpired(10000) ||
                connection.state() != QAbstractSocket::ConnectedState) {
                return false;
            }
            const qint64 before = connection.bytesToWrite();
            connection.waitForBytesWritten(50);
            if (connection.bytesToWrite() < before) {
                stalled.restart();
            }
        }
        return true;
    }

    std::atomic<bool> m_stop = false;
    quint16 m_port = 0;
    std::thread m_thread;
};

// Lateness of a 10 ms timer's ticks while `until` is false, in milliseconds.
std::vector<double> tickLateness(const std::function<bool()>& until, int timeoutMs)
{
    std::vector<double> lateness;
    QElapsedTimer sinceLast;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(TickMs);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        lateness.push_back(
            std::max(0.0, static_cast<double>(sinceLast.nsecsElapsed()) / 1e6 - TickMs));
        sinceLast.restart();
    });
    sinceLast.start();
    timer.start();
    const bool done = waitFor(until, timeoutMs);
    // The stretch since the last tick counts too: a stall at the very end must show.
    lateness.push_back(std::max(0.0, static_cast<double>(sinceLast.nsecsElapsed()) / 1e6 - TickMs));
    if (!done) {
        lateness.clear();
    }
    return lateness;
}

void printRow(const char* name, const std::vector<double>& values)
{
    const Summary s = summarize(values);
    std::printf("%-28s median %7.2f  p95 %7.2f  max %8.2f  ms  (ticks=%zu)\n", name, s.median,
                s.p95, s.max, values.size());
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    applicationHandlers().setDisplay([](const QString& message) {
        std::fprintf(stderr, "error shown: %s\n", qPrintable(message));
    });

    std::vector<double> allIdle;
    std::vector<double> allFlood;
    for (int run = 1; run <= runs; ++run) {
        FloodSender sender;
        if (sender.port() == 0) {
            std::fputs("sender did not listen\n", stderr);
            return 1;
        }
        TForm1 form;
        if (!showOnScreen(form)) {
            std::fputs("window not exposed\n", stderr);
            return 1;
        }
        form.Hostedit->setText(QStringLiteral("127.0.0.1"));
        form.PortEdit->setText(QString::number(sender.port()));
        // The baseline: connected, nothing arriving yet (the sender starts on accept, so it
        // is measured before the click).
        QElapsedTimer idleFor;
        idleFor.start();
        const std::vector<double> idle =
            tickLateness([&] { return idleFor.hasExpired(1000); }, 5000);

        QElapsedTimer took;
        took.start();
        form.VerbindenButton->click();
        const std::vector<double> flood = tickLateness(
            [&] {
                return form.StatusBar1->panelLine().endsWith(
                    singleLineText(QString::fromLatin1(LastLine)));
            },
            120000);
        const qint64 floodMs = took.elapsed();
        if (flood.empty()) {
            std::fputs("the last line never reached the status line\n", stderr);
            return 1;
        }
        std::printf("run %d: flood of %lld MB shown in %lld ms\n", run,
                    static_cast<long long>(FloodBytes / (1024 * 1024)),
                    static_cast<long long>(floodMs));
        printRow("  idle timer lateness", idle);
        printRow("  flood timer lateness", flood);
        allIdle.insert(allIdle.end(), idle.begin(), idle.end());
        allFlood.insert(allFlood.end(), flood.begin(), flood.end());
        form.TrennenButton->click();
    }
    std::printf("all runs:\n");
    printRow("  idle timer lateness", allIdle);
    printRow("  flood timer lateness", allFlood);
    return 0;
}
