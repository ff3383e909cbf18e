// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The turnout pulse on the wire: how much longer than 300 ms the gap between the on-line and
// the off-line is when they arrive at a loopback peer, for the real window's "gerade" button
// and, as the baseline measured in the same run, for two raw socket writes around the same
// Pause(300000). Window and baseline pulses alternate, so both see the same load. Figures are
// median, p95, max and min in microseconds, and the window's over the baseline's.
// Run by hand: build/bench/bench_pulse [pulses]

#include "bench_stats.h"
#include "bench_wait.h"
#include "handler_runner.h"
#include "nano_pause.h"
#include "recording_peer.h"
#include "tclient_socket.h"
#include "tform1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr qint64 PulseNs = 300'000'000;

// Waits for the two lines of one pulse and returns how much their arrival gap exceeds
// 300 ms, in microseconds; the peer's lines are forgotten afterwards.
bool takePulseOverrun(RecordingPeer& peer, std::vector<double>& overruns)
{
    if (!waitFor([&peer] { return peer.lines().size() >= 2; })) {
        return false;
    }
    const QList<RecordingPeer::Line> lines = peer.lines();
    peer.clear();
    if (lines.size() != 2) {
        return false;
    }
    const qint64 gapNs = lines.at(1).arrivalNs - lines.at(0).arrivalNs;
    overruns.push_back(static_cast<double>(gapNs - PulseNs) / 1000.0);
    return true;
}

void printRow(const char* name, const Summary& s, std::size_t count)
{
    std::printf("%-36s median %9.1f  p95 %9.1f  max %9.1f  min %9.1f  us  (n=%zu)\n", name,
                s.median, s.p95, s.max, s.min, count);
}

void printRatio(const char* name, const Summary& window, const Summary& baseline)
{
    const auto ratio = [](double a, double b) { return b > 0.0 ? a / b : 0.0; };
    std::printf("%-36s median %9.2f  p95 %9.2f  max %9.2f\n", name,
                ratio(window.median, baseline.median), ratio(window.p95, baseline.p95),
                ratio(window.max, baseline.max));
}

int fail(const char* what)
{
    std::fprintf(stderr, "bench_pulse: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int pulses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    // No message box can stop the run: an error is printed and the run goes on to fail.
    applicationHandlers().setDisplay(
        [](const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });

    RecordingPeer peer;
    if (!peer.listen()) {
        return fail("the peer does not listen");
    }

    TForm1 form;
    form.Hostedit->setText(QStringLiteral("127.0.0.1"));
    form.PortEdit->setText(QString::number(peer.port()));
    form.SendenEdit->setText(QStringLiteral("7"));
    form.VerbindenButton->click();
    if (!waitFor([&] { return form.ClientSocket1->Active() && peer.activeConnections() == 1; })) {
        return fail("the window does not connect");
    }

    // The baseline: the same two lines, written and pushed out like the window does, around a
    // pause of its own timer, with none of the window's work in between.
    NanoPause baselineTimer;
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, peer.port());
    if (!raw.waitForConnected(5000) || !waitFor([&] { return peer.activeConnections() == 2; })) {
        return fail("the baseline socket does not connect");
    }
    raw.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    peer.clear();

    std::vector<double> windowOverruns;
    std::vector<double> baselineOverruns;
    for (int pulse = 0; pulse < pulses; ++pulse) {
        form.gerade_Button->click();
        if (!takePulseOverrun(peer, windowOverruns)) {
            return fail("the window's pulse did not arrive");
        }
        raw.write("SET GA M 7 0 1 -1\r\n");
        raw.flush();
        baselineTimer.Pause(300000);
        raw.write("SET GA M 7 0 0 -1\r\n");
        raw.flush();
        if (!takePulseOverrun(peer, baselineOverruns)) {
            return fail("the baseline pulse did not arrive");
        }
    }

    const Summary window = summarize(windowOverruns);
    const Summary baseline = summarize(baselineOverruns);
    std::puts("gap between on-line and off-line arrival at the peer, minus 300 ms:");
    printRow("window (gerade_Button)", window, windowOverruns.size());
    printRow("baseline (raw writes + Pause)", baseline, baselineOverruns.size());
    printRatio("ratio window / baseline", window, baseline);
    const bool medianOnTarget = window.median <= 50.0;
    const bool neverShort = window.min >= 0.0;
    std::printf("target: median within 300 ms + 50 us: %s; never below 300 ms: %s\n",
                medianOnTarget ? "yes" : "no", neverShort ? "yes" : "no");
    return 0;
}
