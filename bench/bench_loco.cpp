// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The locomotive line on the wire, from the real window on the offscreen platform to a
// loopback peer on its own thread:
// - step: the time from a bar change (ScrollBar1->setValue, stamped on steady_clock just
//   before) to the arrival of its line at the peer; each step waits for its line, then the
//   event loop turns once (repaints) outside the timing;
// - drag: position 100 to 0 one step at a time until the 100th line has arrived, with an
//   event-loop turn after every step as between the mouse moves of a real drag, and with the
//   steps back to back; plus two diagnoses of where the time goes (the log pane's repaint
//   suspended, the window hidden).
// The baseline, measured in the same run and interleaved with the window so both see the same
// load, is a raw QTcpSocket (low delay like the window's) that writes and flushes the same
// lines to the same peer. Every drag is checked: 100 complete lines, in order, byte for byte.
// Figures are median, p95 and max in microseconds, and window over baseline.
// Run by hand: build/bench/bench_loco [runs]

#include "bench_stats.h"
#include "bench_wait.h"
#include "handler_runner.h"
#include "log_pane.h"
#include "recording_peer.h"
#include "tclient_socket.h"
#include "tform1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTcpSocket>
#include <QTextDocument>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace {

// Polls, without running the event loop, until the peer holds `count` lines; returns the
// arrival stamp of the last, or 0 on timeout. The line is on its way as soon as the send
// returns, so nothing on this thread is needed for it to arrive.
qint64 arrivalOfLine(const RecordingPeer& peer, qsizetype count, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QList<RecordingPeer::Line> lines = peer.lines();
        if (lines.size() >= count) {
            return lines.at(count - 1).arrivalNs;
        }
        if (deadline.hasExpired()) {
            return 0;
        }
        // Leaves the core to the peer's thread when both want the same one.
        std::this_thread::yield();
    }
}

QByteArray locoLine(int speed)
{
    return "SET GL M1 1 1 " + QByteArray::number(speed) + " 100 0 4 0 0 0 0\r\n";
}

double micros(qint64 ns)
{
    return static_cast<double>(ns) / 1000.0;
}

void printRow(const char* name, const Summary& s, std::size_t count)
{
    std::printf("%-40s median %9.1f  p95 %9.1f  max %9.1f  us  (n=%zu)\n", name, s.median, s.p95,
                s.max, count);
}

void printRatio(const char* name, const Summary& window, const Summary& baseline)
{
    const auto ratio = [](double a, double b) { return b > 0.0 ? a / b : 0.0; };
    std::printf("%-40s median %9.2f  p95 %9.2f  max %9.2f  x\n", name,
                ratio(window.median, baseline.median), ratio(window.p95, baseline.p95),
                ratio(window.max, baseline.max));
}

// What arrived since the last clear(): 100 complete lines from one connection, speeds 1 to
// 100 in order, and the connection's bytes exactly their concatenation. Counts the faults.
struct DragCheck
{
    int lost = 0;
    int merged = 0;
    int wrong = 0;

    void check(const RecordingPeer& peer)
    {
        const QList<RecordingPeer::Line> lines = peer.lines();
        QByteArray expected;
        for (int speed = 1; speed <= 100; ++speed) {
            expected += locoLine(speed);
        }
        QByteArray bytes;
        for (const RecordingPeer::Chunk& chunk : peer.chunks()) {
            bytes += chunk.bytes;
        }
        if (lines.size() < 100) {
            lost += static_cast<int>(100 - lines.size());
        }
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines.at(i).bytes.count('\n') != 1 || lines.at(i).bytes.count("SET GL") != 1) {
                ++merged;
            } else if (i >= 100 || lines.at(i).bytes != locoLine(static_cast<int>(i) + 1) ||
                       lines.at(i).connectionId != lines.at(0).connectionId) {
                ++wrong;
            }
        }
        if (bytes != expected && lines.size() == 100) {
            ++wrong;
        }
    }
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    int shownErrors = 0;
    applicationHandlers().setDisplay([&shownErrors](const QString& message) {
        ++shownErrors;
        std::fprintf(stderr, "error shown: %s\n", qPrintable(message));
    });

    RecordingPeer peer;
    if (!peer.listen()) {
        std::fprintf(stderr, "peer: %s\n", qPrintable(peer.errorString()));
        return 1;
    }
    TForm1 form;
    if (!showOnScreen(form)) {
        std::fputs("window not exposed\n", stderr);
        return 1;
    }
    form.Hostedit->setText(QStringLiteral("127.0.0.1"));
    form.PortEdit->setText(QString::number(peer.port()));
    form.VerbindenButton->click();
    if (!waitFor([&] { return form.ClientSocket1->Active() && peer.activeConnections() == 1; })) {
        std::fputs("window did not connect\n", stderr);
        return 1;
    }
    QTcpSocket raw;
    raw.connectToHost(QHostAddress(QHostAddress::LocalHost), peer.port());
    if (!raw.waitForConnected(5000) || !waitFor([&] { return peer.activeConnections() == 2; })) {
        std::fputs("baseline socket did not connect\n", stderr);
        return 1;
    }
    raw.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QScrollBar* bar = form.ScrollBar1;

    // Brings the bar back to the bottom (one line) and forgets the recording.
    const auto resetBar = [&]() -> bool {
        peer.clear();
        if (bar->value() != 100) {
            bar->setValue(100);
            if (arrivalOfLine(peer, 1) == 0) {
                return false;
            }
        }
        QCoreApplication::processEvents();
        peer.clear();
        return true;
    };

    // Step: one bar change, then its line's arrival; the same line raw right after.
    std::vector<double> stepWindow;
    std::vector<double> stepHandler;
    std::vector<double> stepRaw;
    std::vector<double> firstRunStep;
    std::vector<double> lastRunStep;
    for (int run = 0; run < runs; ++run) {
        if (!resetBar()) {
            std::fputs("reset line lost\n", stderr);
            return 1;
        }
        qsizetype count = 0;
        // Down the bar and back up: 200 changes, every one a line.
        for (int change = 1; change <= 200; ++change) {
            const int position = change <= 100 ? 100 - change : change - 100;
            const qint64 start = RecordingPeer::monotonicNs();
            bar->setValue(position);
            const qint64 returned = RecordingPeer::monotonicNs();
            const qint64 arrival = arrivalOfLine(peer, ++count);
            if (arrival == 0) {
                std::fprintf(stderr, "line for position %d lost\n", position);
                return 1;
            }
            stepWindow.push_back(micros(arrival - start));
            stepHandler.push_back(micros(returned - start));
            if (run == 0) {
                firstRunStep.push_back(micros(arrival - start));
            } else if (run == runs - 1) {
                lastRunStep.push_back(micros(arrival - start));
            }
            // The event loop turns between two operator actions: repaints, socket events.
            QCoreApplication::processEvents();

            const QByteArray line = locoLine(100 - position);
            const qint64 rawStart = RecordingPeer::monotonicNs();
            raw.write(line);
            raw.flush();
            const qint64 rawArrival = arrivalOfLine(peer, ++count);
            if (rawArrival == 0) {
                std::fputs("baseline line lost\n", stderr);
                return 1;
            }
            stepRaw.push_back(micros(rawArrival - rawStart));
            QCoreApplication::processEvents();
        }
    }

    // Drag: 100 steps until the last line has arrived, in several variants that alternate
    // within each run so all see the same load. "turns": an event-loop turn after every step,
    // as between the mouse moves of a real drag (repaints included); "burst": the steps back
    // to back, repaints only afterwards. The last two variants are diagnoses: the same drag
    // with the log pane's repaint suspended, and with the window hidden (nothing painted).
    enum Variant { Turns, Burst, TurnsNoLogPaint, TurnsHidden, VariantCount };
    const char* const variantNames[VariantCount] = {
        "drag, turn after each step (window)", "drag, steps back to back (window)",
        "diag: turns, Memo1 repaint suspended", "diag: turns, window hidden"};
    std::vector<double> drag[VariantCount];
    std::vector<double> dragInSetValue;
    std::vector<double> dragInEventLoop;
    std::vector<double> dragRawTurns;
    std::vector<double> dragRawBurst;
    DragCheck windowCheck;
    DragCheck rawCheck;
    for (int run = 0; run < runs; ++run) {
        for (int variant = 0; variant < VariantCount; ++variant) {
            if (!resetBar()) {
                std::fputs("reset line lost\n", stderr);
                return 1;
            }
            const bool turns = variant != Burst;
            if (variant == TurnsNoLogPaint) {
                form.Memo1->setUpdatesEnabled(false);
            } else if (variant == TurnsHidden) {
                form.hide();
            }
            const qint64 start = RecordingPeer::monotonicNs();
            qint64 inSetValue = 0;
            qint64 inEventLoop = 0;
            for (int position = 99; position >= 0; --position) {
                const qint64 before = RecordingPeer::monotonicNs();
                bar->setValue(position);
                const qint64 between = RecordingPeer::monotonicNs();
                if (turns) {
                    QCoreApplication::processEvents();
                }
                inSetValue += between - before;
                inEventLoop += RecordingPeer::monotonicNs() - between;
            }
            const qint64 arrival = arrivalOfLine(peer, 100);
            if (arrival != 0) {
                drag[variant].push_back(micros(arrival - start));
            }
            if (variant == Turns) {
                dragInSetValue.push_back(micros(inSetValue));
                dragInEventLoop.push_back(micros(inEventLoop));
            }
            form.Memo1->setUpdatesEnabled(true);
            form.show();
            // Repaints now; and anything beyond the 100 lines would show up in the check.
            QCoreApplication::processEvents();
            windowCheck.check(peer);
        }

        for (const bool turns : {true, false}) {
            peer.clear();
            const qint64 rawStart = RecordingPeer::monotonicNs();
            for (int speed = 1; speed <= 100; ++speed) {
                raw.write(locoLine(speed));
                raw.flush();
                if (turns) {
                    QCoreApplication::processEvents();
                }
            }
            const qint64 rawArrival = arrivalOfLine(peer, 100);
            if (rawArrival != 0) {
                (turns ? dragRawTurns : dragRawBurst).push_back(micros(rawArrival - rawStart));
            }
            QCoreApplication::processEvents();
            rawCheck.check(peer);
        }
    }

    const Summary step = summarize(stepWindow);
    const Summary handler = summarize(stepHandler);
    const Summary stepBase = summarize(stepRaw);
    std::printf("runs %d, log pane lines at the end %d\n", runs,
                form.Memo1->document()->blockCount());
    printRow("step: bar change to arrival (window)", step, stepWindow.size());
    printRow("step: setValue returns (window)", handler, stepHandler.size());
    printRow("step: write+flush to arrival (raw)", stepBase, stepRaw.size());
    printRatio("step: window / raw", step, stepBase);
    printRow("step: first run only (window)", summarize(firstRunStep), firstRunStep.size());
    printRow("step: last run only (window)", summarize(lastRunStep), lastRunStep.size());
    const Summary dragTurns = summarize(drag[Turns]);
    const Summary dragBurst = summarize(drag[Burst]);
    const Summary rawTurns = summarize(dragRawTurns);
    const Summary rawBurst = summarize(dragRawBurst);
    printRow(variantNames[Turns], dragTurns, drag[Turns].size());
    printRow("  of it in the 100 setValue calls", summarize(dragInSetValue), dragInSetValue.size());
    printRow("  of it in the 100 event-loop turns", summarize(dragInEventLoop),
             dragInEventLoop.size());
    printRow("drag, turn after each write (raw)", rawTurns, dragRawTurns.size());
    printRatio("drag with turns: window / raw", dragTurns, rawTurns);
    printRow(variantNames[Burst], dragBurst, drag[Burst].size());
    printRow("drag, writes back to back (raw)", rawBurst, dragRawBurst.size());
    printRatio("drag back to back: window / raw", dragBurst, rawBurst);
    printRow(variantNames[TurnsNoLogPaint], summarize(drag[TurnsNoLogPaint]),
             drag[TurnsNoLogPaint].size());
    printRow(variantNames[TurnsHidden], summarize(drag[TurnsHidden]), drag[TurnsHidden].size());
    std::printf("drag check window: lost %d merged %d wrong %d; raw: lost %d merged %d wrong %d\n",
                windowCheck.lost, windowCheck.merged, windowCheck.wrong, rawCheck.lost,
                rawCheck.merged, rawCheck.wrong);
    std::printf("target: step median < 200 us: %s; drag < 20000 us: with turns %s, back to back "
                "%s; errors shown %d\n",
                step.median < 200.0 ? "met" : "MISSED",
                dragTurns.median < 20000.0 ? "met" : "MISSED",
                dragBurst.median < 20000.0 ? "met" : "MISSED", shownErrors);
    const bool clean = windowCheck.lost + windowCheck.merged + windowCheck.wrong == 0 &&
                       drag[Turns].size() == static_cast<std::size_t>(runs) &&
                       drag[Burst].size() == static_cast<std::size_t>(runs) && shownErrors == 0;
    return clean ? 0 : 1;
}
