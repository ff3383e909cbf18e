// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tclient_socket_access.h"
#include "test_sockets.h"
#include "turnout_command.h"
#include "warnings_fail.h"
#include "window_fixture.h"
#include "window_per_test.h"

#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it builds on.
#include <psapi.h>
#else
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// A window counts as responsive while its 10 ms timer never comes more than this much later
// than the same timer on an idle thread beside it (IdleWatch): a busy machine delays both, a
// blocked window only its own. Sanitized code and code under Wine run about three times slower:
// the allowance with them. qemu-user translates every instruction of every thread, the name
// lookup's too, and was seen at 351 ms on a busy machine; its allowance still lies well below
// the 1.5 s connect or the many seconds of flood that a blocked window would show.
#if defined(KOLVO_TEST_EMULATOR) && !defined(_WIN32)
constexpr qint64 ResponsiveGapMs = 1000;
#elif defined(__SANITIZE_ADDRESS__) || defined(KOLVO_TEST_EMULATOR)
constexpr qint64 ResponsiveGapMs = 300;
#else
constexpr qint64 ResponsiveGapMs = 100;
#endif

#ifdef _WIN32

// The working set is Windows's resident size.
[[nodiscard]] qint64 residentBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        return 0;
    }
    return static_cast<qint64>(counters.WorkingSetSize);
}

// Windows keeps a socket as a handle, so a socket left open shows in the handle count.
[[nodiscard]] qsizetype openHandles()
{
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return static_cast<qsizetype>(count);
}

#else

[[nodiscard]] qint64 residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long long sizePages = 0;
    long long residentPages = 0;
    statm >> sizePages >> residentPages;
    return residentPages * ::sysconf(_SC_PAGESIZE);
}

[[nodiscard]] qsizetype openHandles()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
}

#endif

// How the scripted server ends a connection during the pulse.
enum class ServerEnding {
    Orderly, // shuts its sending side, reads on until the client has gone, then closes
    AtOnce,  // closes outright, so what the client sends next brings back a reset
    Reset,   // resets the connection
};

// Qt has no option for it: with a zero linger time, closing the socket resets the connection
// instead of ending it in order.
void resetOnClose(QTcpSocket& socket)
{
    const linger abortive{1, 0};
    ::setsockopt(static_cast<NativeSocket>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER,
                 reinterpret_cast<const char*>(&abortive), sizeof abortive);
}

// Qt has no half close either.
void stopSending(QTcpSocket& socket)
{
    ::shutdown(static_cast<NativeSocket>(socket.socketDescriptor()), ShutdownSending);
}

#ifdef _WIN32
// Wine's ntdll exports its version; Windows's does not.
[[nodiscard]] bool runsUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
#else
[[nodiscard]] bool runsUnderWine()
{
    return false;
}
#endif

// Watches the event loop from inside it: a 10 ms timer that keeps the longest time between
// two of its ticks and the largest resident size seen at a tick.
class LoopWatch : public QObject
{
public:
    LoopWatch() : timer(this)
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, &LoopWatch::tick);
    }

    void start()
    {
        lastTick = Clock::now();
        worstGap = {};
        peakResident = residentBytes();
        timer.start();
    }
    // Counts the time since the last tick too: a stall at the very end must not slip through.
    void stop()
    {
        tick();
        timer.stop();
    }
    void sampleMemory() { peakResident = std::max(peakResident, residentBytes()); }

    [[nodiscard]] qint64 worstGapMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(worstGap).count();
    }
    [[nodiscard]] qint64 peakResidentBytes() const { return peakResident; }

private:
    void tick()
    {
        const Clock::time_point now = Clock::now();
        worstGap = std::max(worstGap, now - lastTick);
        lastTick = now;
        sampleMemory();
    }

    QTimer timer;
    Clock::time_point lastTick;
    Clock::duration worstGap{};
    qint64 peakResident = 0;
};

// The same timer on a thread of its own with nothing else to do: how late the machine itself
// lets a timer come meanwhile, with other processes, a compiler or a sanitizer beside.
class IdleWatch
{
public:
    IdleWatch()
    {
        watch.moveToThread(&thread);
        thread.start();
    }
    ~IdleWatch()
    {
        stop();
        thread.quit();
        thread.wait();
    }
    IdleWatch(const IdleWatch&) = delete;
    IdleWatch& operator=(const IdleWatch&) = delete;

    void start()
    {
        QMetaObject::invokeMethod(&watch, &LoopWatch::start, Qt::BlockingQueuedConnection);
    }
    void stop()
    {
        QMetaObject::invokeMethod(&watch, &LoopWatch::stop, Qt::BlockingQueuedConnection);
    }
    // Read once stop() has returned.
    [[nodiscard]] qint64 worstGapMs() const { return watch.worstGapMs(); }

private:
    LoopWatch watch;
    QThread thread;
};

// Empty while the window's timer came at most ResponsiveGapMs later than the idle one's worst,
// else both figures.
[[nodiscard]] QString lateness(const LoopWatch& window, const IdleWatch& idle)
{
    if (window.worstGapMs() < idle.worstGapMs() + ResponsiveGapMs) {
        return {};
    }
    return QStringLiteral("worst timer gap %1 ms in the window, %2 ms on an idle thread meanwhile; "
                          "%3 ms more are allowed")
        .arg(window.worstGapMs())
        .arg(idle.worstGapMs())
        .arg(ResponsiveGapMs);
}

// A server on a std::thread, for what the shared peer does not script: a flood of which this
// process holds no more than one block at a time, a reset, a close at a chosen moment. It
// listens on 127.0.0.1 at a port the system picks and hands each accepted connection to the
// script, which owns it and closes it. The thread uses Qt's blocking socket calls, which need
// no event loop. Every wait is bounded and gives up once the server is being destroyed, so the
// thread always ends.
class ScriptedServer
{
public:
    using Script =
        std::function<void(const ScriptedServer& server, QTcpSocket& connection, int index)>;

    explicit ScriptedServer(int connections, Script script)
    {
        std::promise<quint16> listening;
        std::future<quint16> listeningOn = listening.get_future();
        worker = std::thread([this, connections, script = std::move(script),
                              listening = std::move(listening)]() mutable {
            // Made on this thread: the test's event loop must not accept for it.
            QTcpServer listener;
            if (!listener.listen(QHostAddress(QHostAddress::LocalHost), 0)) {
                listening.set_value(0);
                return;
            }
            listening.set_value(listener.serverPort());
            for (int index = 0; index < connections; ++index) {
                if (!waitForClient(listener)) {
                    return;
                }
                const std::unique_ptr<QTcpSocket> connection(listener.nextPendingConnection());
                script(*this, *connection, index);
            }
        });
        listeningPort = listeningOn.get();
    }

    ~ScriptedServer()
    {
        stopping = true;
        if (worker.joinable()) {
            worker.join();
        }
    }

    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    [[nodiscard]] quint16 port() const { return listeningPort; }

    // Everything up to and including the first line end (and whatever came with it).
    [[nodiscard]] QByteArray readLine(QTcpSocket& connection) const
    {
        QByteArray received;
        while (!received.contains('\n') && waitForData(connection, 10000)) {
            received += connection.readAll();
        }
        return received;
    }

    void waitUntilClientCloses(QTcpSocket& connection) const
    {
        while (waitForData(connection, 60000)) {
            connection.readAll();
        }
    }

    // Returns once the kernel has taken every byte. A client that stops reading ends it after
    // ten seconds without progress, rather than holding this thread forever.
    [[nodiscard]] bool sendAll(QTcpSocket& connection, const QByteArray& bytes) const
    {
        constexpr int StallLimitMs = 10000;
        connection.write(bytes);
        int stalledMs = 0;
        while (connection.bytesToWrite() > 0) {
            if (stopping || stalledMs >= StallLimitMs ||
                connection.state() != QAbstractSocket::ConnectedState) {
                return false;
            }
            const qint64 before = connection.bytesToWrite();
            connection.waitForBytesWritten(SliceMs);
            stalledMs = connection.bytesToWrite() < before ? 0 : stalledMs + SliceMs;
        }
        return true;
    }

private:
    static constexpr int SliceMs = 50;

    [[nodiscard]] bool waitForClient(QTcpServer& listener) const
    {
        for (int waited = 0; waited < 20000 && !stopping; waited += SliceMs) {
            bool timedOut = false;
            if (listener.waitForNewConnection(SliceMs, &timedOut)) {
                return true;
            }
            if (!timedOut) {
                return false;
            }
        }
        return false;
    }

    // False once the client has closed and everything it sent has been read.
    [[nodiscard]] bool waitForData(QTcpSocket& connection, int timeoutMs) const
    {
        for (int waited = 0; waited < timeoutMs && !stopping; waited += SliceMs) {
            if (connection.bytesAvailable() > 0 || connection.waitForReadyRead(SliceMs)) {
                return true;
            }
            if (connection.state() != QAbstractSocket::ConnectedState) {
                return false;
            }
        }
        return false;
    }

    quint16 listeningPort = 0;
    std::atomic<bool> stopping = false;
    std::thread worker;
};

// A listener that never accepts, its backlog filled with connections of our own: Linux then
// drops every further SYN, so a connect to it hangs like one to a host that does not answer,
// without a packet leaving loopback. (Windows refuses such a connect instead.)
class SilentListener
{
public:
    SilentListener()
    {
        listener.setListenBacklogSize(0);
        if (!listener.listen(QHostAddress(QHostAddress::LocalHost), 0)) {
            return;
        }
        listener.pauseAccepting();
        for (int attempt = 0; attempt < 16 && !full; ++attempt) {
            auto& filler = fillers.emplace_back(std::make_unique<QTcpSocket>());
            filler->connectToHost(QHostAddress(QHostAddress::LocalHost), listener.serverPort());
            full = !filler->waitForConnected(300) &&
                   filler->error() == QAbstractSocket::SocketTimeoutError;
        }
    }

    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    [[nodiscard]] quint16 port() const { return listener.serverPort(); }
    // False where the system answers connects beyond the backlog anyway.
    [[nodiscard]] bool connectsHang() const { return full; }

private:
    QTcpServer listener;
    std::vector<std::unique_ptr<QTcpSocket>> fillers;
    bool full = false;
};

void pointAt(WindowFixture& w, quint16 port)
{
    w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
    w.form->PortEdit->setText(QString::number(port));
}

} // namespace

Q_DECLARE_METATYPE(ServerEnding)

class tst_Robustness : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }
    void cleanupTestCase() { windows.release(); }

    void floodOfFiftyMegabytesKeepsTheWindowResponsive()
    {
        constexpr qsizetype FloodBytes = 50 * 1024 * 1024;
        [[maybe_unused]] constexpr qint64 AllowedGrowthBytes = 20 * 1024 * 1024;
        // Answer-like lines of 64 bytes, so any tail of the stream can be checked.
        const QByteArray line =
            QByteArray("INFO 1 GL 1 M1 1 0 100 0 4 0 0 0 0 ").leftJustified(62, '.') + "\r\n";
        const QByteArray block = line.repeated(1024);
        const QByteArray last = "INFO 0 ENDE DER FLUT\r\n";

        ScriptedServer server(1, [&](const ScriptedServer& s, QTcpSocket& connection, int) {
            for (qsizetype sent = 0; sent < FloodBytes && s.sendAll(connection, block);
                 sent += block.size()) {
            }
            if (s.sendAll(connection, last)) {
                s.waitUntilClientCloses(connection);
            }
            connection.close();
        });
        QVERIFY(server.port() != 0);
        WindowFixture w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));

        LoopWatch watch;
        IdleWatch idle;
        qsizetype shownBytes = 0;
        // Runs after the window's read handler: what the status line holds is that read.
        connect(w.form->ClientSocket1, &TClientSocket::OnRead, &watch, [&] {
            shownBytes += w.status().size();
            watch.sampleMemory();
        });
        pointAt(w, server.port());
        [[maybe_unused]] const qint64 residentBefore = residentBytes();
        idle.start();
        watch.start();
        w.form->VerbindenButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.status().endsWith(statusShowing(last)), 120000);
        watch.stop();
        idle.stop();

        // Every read landed whole in the status line, and the last one stays there.
        QVERIFY(w.form->ClientSocket1->Active());
        QCOMPARE(shownBytes, FloodBytes + last.size());
        const QString shown = w.status();
        const QString before = shown.chopped(last.size());
        QCOMPARE(
            before,
            statusShowing(line.repeated(before.size() / line.size() + 1)).right(before.size()));
        QVERIFY(w.shownMessages.isEmpty());
        const QString late = lateness(watch, idle);
        QVERIFY2(late.isEmpty(), qPrintable(late));
#ifndef __SANITIZE_ADDRESS__
        // AddressSanitizer keeps freed memory in quarantine, so its builds say nothing here.
        const qint64 growth = watch.peakResidentBytes() - residentBefore;
        QVERIFY2(growth <= AllowedGrowthBytes,
                 qPrintable(QStringLiteral("memory grew by %1 bytes").arg(growth)));
#endif
    }

    void serverClosingDuringTheTurnoutPulse_data()
    {
        QTest::addColumn<ServerEnding>("ending");
        QTest::newRow("orderly close") << ServerEnding::Orderly;
        QTest::newRow("close while the client writes") << ServerEnding::AtOnce;
        QTest::newRow("reset") << ServerEnding::Reset;
    }
    void serverClosingDuringTheTurnoutPulse()
    {
        QFETCH(ServerEnding, ending);
        if (ending == ServerEnding::AtOnce && runsUnderWine()) {
            // The off-line meets a closed socket and brings back a reset, while Qt has the
            // window's socket deselected for its write. Windows reports the close once Qt
            // selects the socket again; Wine (8.0, 10.0) drops it: the window never learns of it.
            QSKIP("Wine loses the close of a socket that was reset while deselected.");
        }
        std::atomic<qint64> onLineArrivedNs = 0;
        std::atomic<qint64> closedNs = 0;
        std::atomic<bool> offLineCameFirst = false;
        QByteArray onLineReceived;
        ScriptedServer server(2, [&](const ScriptedServer& s, QTcpSocket& connection, int index) {
            if (index == 0) {
                // Closed as soon as the on-line is in, while the window holds its pulse: unless
                // this thread ran so late that the off-line has come as well.
                onLineReceived = s.readLine(connection);
                onLineArrivedNs = RecordingPeer::monotonicNs();
                offLineCameFirst = onLineReceived.count('\n') > 1 || connection.waitForReadyRead(0);
                if (ending == ServerEnding::Reset) {
                    resetOnClose(connection);
                }
                closedNs = RecordingPeer::monotonicNs();
                if (ending == ServerEnding::Orderly) {
                    // End of stream first, then read on until the client has gone.
                    stopSending(connection);
                    s.waitUntilClientCloses(connection);
                }
            } else {
                s.waitUntilClientCloses(connection);
            }
            connection.close();
        });
        QVERIFY(server.port() != 0);
        WindowFixture w;
        pointAt(w, server.port());
        w.form->VerbindenButton->click();
        QTRY_VERIFY(w.form->ClientSocket1->Active());
        QTRY_COMPARE(w.log().size(), 2);

        // Queued, as an operator's click: the pulse then holds the loop like in the program.
        QMetaObject::invokeMethod(w.form->gerade_Button, &QAbstractButton::click,
                                  Qt::QueuedConnection);
        const QStringList pulseLines = logLines({"SET GA M 1 0 1 -1\r\n", "SET GA M 1 0 0 -1\r\n"});
        QTRY_COMPARE(w.log().size(), 2 + pulseLines.size());
        QCOMPARE(w.log().mid(2), pulseLines);
        QTRY_VERIFY(closedNs.load() != 0);
        if (offLineCameFirst || closedNs - onLineArrivedNs >= TurnoutPulseMicroseconds * 1000) {
            QSKIP("The server's thread ran too late to close during the pulse: the machine is too "
                  "busy for this check.");
        }
        QCOMPARE(onLineReceived, QByteArray("SET GA M 1 0 1 -1\r\n"));

        QTRY_COMPARE(w.shownMessages.size(), 1);
        QVERIFY2(w.shownMessages.first().contains(QStringLiteral("beendet")),
                 qPrintable(w.shownMessages.first()));
        QVERIFY(w.shownMessages.first().contains(QString::number(server.port())));
        QVERIFY(!w.form->ClientSocket1->Active());

        w.form->VerbindenButton->click();
        QTRY_VERIFY(w.form->ClientSocket1->Active());
        QTRY_COMPARE(w.log().size(), 4 + pulseLines.size());
        QCOMPARE(w.log().mid(2 + pulseLines.size()),
                 QStringList({"", "Client  -   mit Server verbunden"}));
        QCOMPARE(w.shownMessages.size(), 1);
    }

    void speedBarStaysLiveWhileTheServerReadsNothing()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.peer.setReading(false);
        // Fill the kernel's buffers first, so the drag's lines really have nowhere to go.
        QVERIFY2(w.fillPeerWindow(), "the kernel never stopped taking data");

        constexpr int Steps = 10 * 200;
        const qsizetype logBefore = w.log().size();
        int step = 0;
        bool eachStepLoggedAtOnce = true;
        QTimer operatorHand;
        operatorHand.setInterval(0);
        // One position per event-loop turn, as a drag delivers them: 99..0, then 1..100.
        connect(&operatorHand, &QTimer::timeout, &operatorHand, [&] {
            const int withinPass = step % 200;
            const int position = withinPass < 100 ? 99 - withinPass : withinPass - 99;
            w.form->ScrollBar1->setSliderPosition(position);
            ++step;
            // Each line shows with the empty line its CR LF leaves.
            eachStepLoggedAtOnce = eachStepLoggedAtOnce && w.log().size() == logBefore + 2 * step;
            if (step == Steps) {
                operatorHand.stop();
            }
        });
        LoopWatch watch;
        IdleWatch idle;
        idle.start();
        watch.start();
        operatorHand.start();
        QTRY_COMPARE_WITH_TIMEOUT(step, Steps, 60000);
        watch.stop();
        idle.stop();

        QVERIFY(eachStepLoggedAtOnce);
        const QString late = lateness(watch, idle);
        QVERIFY2(late.isEmpty(), qPrintable(late));
        QCOMPARE(w.form->ScrollBar1->value(), 100);
        const QStringList dragLines = w.log().mid(logBefore);
        QCOMPARE(dragLines.size(), 2 * Steps);
        QVERIFY(w.shownMessages.isEmpty());

        // Once the server reads again, every line arrives, in the order of the drag.
        w.peer.setReading(true);
        QByteArray expectedTail;
        for (const QString& line : dragLines) {
            if (!line.isEmpty()) {
                expectedTail += line.toLatin1() + "\r\n";
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(w.peer.receivedBytes().endsWith(expectedTail), 60000);
    }

    void manyConnectCyclesLeaveNothingBehind_data()
    {
        QTest::addColumn<bool>("serverListens");
        QTest::newRow("live server") << true;
        QTest::newRow("refused port") << false;
    }
    void manyConnectCyclesLeaveNothingBehind()
    {
        QFETCH(bool, serverListens);
        // Windows refuses a connect only after about 2 s of retries (Wine at once): the cycles
        // stop at whichever bound comes first, and enough of them are still done for a leak of
        // one handle per cycle to show.
        constexpr int MaxCycles = 200;
        constexpr int MinCycles = 10;
        constexpr auto CyclesTimeBudget = std::chrono::seconds(40);
        WindowFixture w;
        QVERIFY(w.peer.listen());
        if (!serverListens) {
            w.peer.stop();
        }
        pointAt(w, w.peer.port());
        const auto cycle = [&] {
            const qsizetype shownBefore = w.shownMessages.size();
            w.form->VerbindenButton->click();
            const bool settled = QTest::qWaitFor([&] {
                return serverListens ? w.form->ClientSocket1->Active()
                                     : w.shownMessages.size() > shownBefore;
            });
            w.form->TrennenButton->click();
            return settled;
        };
        // The first connect may create process-wide helpers that live on; that is no leak.
        QVERIFY(cycle());
        QTRY_COMPARE(w.peer.activeConnections(), 0);
        const qsizetype handlesBefore = openHandles();

        const Clock::time_point started = Clock::now();
        int cycles = 0;
        while (cycles < MaxCycles &&
               (cycles < MinCycles || Clock::now() - started < CyclesTimeBudget)) {
            QVERIFY2(cycle(), qPrintable(QStringLiteral("cycle %1").arg(cycles)));
            ++cycles;
        }

        QTRY_COMPARE(w.peer.activeConnections(), 0);
        // Growth is the leak. A handle that something else held for a moment when the first
        // count was taken (the sanitizer's runtime reading its maps, say) may be gone by now.
        QTRY_VERIFY2(openHandles() <= handlesBefore,
                     qPrintable(QStringLiteral("%1 handles open, %2 before the cycles")
                                    .arg(openHandles())
                                    .arg(handlesBefore)));
        QVERIFY(!w.form->ClientSocket1->Active());
        if (serverListens) {
            QVERIFY(w.shownMessages.isEmpty());
            QTRY_COMPARE(w.peer.connectionCount(), cycles + 1);
            QCOMPARE(w.log().count(QStringLiteral("Client  -   mit Server verbunden")), cycles + 1);
        } else {
            QCOMPARE(w.shownMessages.size(), cycles + 1);
            for (const QString& message : std::as_const(w.shownMessages)) {
                QVERIFY(message.contains(QStringLiteral("abgelehnt")));
            }
            QCOMPARE(w.log(), QStringList(cycles + 1, QString()));
        }
    }

    void hostThatCannotBeReachedIsShownWhileTheWindowGoesOn_data()
    {
        QTest::addColumn<bool>("nameResolves");
        QTest::newRow("host.invalid") << false;
        QTest::newRow("no answer to the connect") << true;
    }
    void hostThatCannotBeReachedIsShownWhileTheWindowGoesOn()
    {
        QFETCH(bool, nameResolves);
        constexpr int ConnectTimeoutMs = 1500;
        SilentListener silent;
        WindowFixture w;
        if (nameResolves) {
            if (!silent.connectsHang()) {
                QSKIP("This system answers connects beyond a full listen backlog.");
            }
            pointAt(w, silent.port());
        } else {
            w.form->Hostedit->setText(QStringLiteral("host.invalid"));
        }
        TClientSocketAccess::setConnectTimeout(*w.form->ClientSocket1, ConnectTimeoutMs);

        LoopWatch watch;
        IdleWatch idle;
        idle.start();
        watch.start();
        const Clock::time_point clicked = Clock::now();
        w.form->VerbindenButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.shownMessages.size(), 1, 15000);
        const auto waited = Clock::now() - clicked;
        watch.stop();
        idle.stop();

        const QString late = lateness(watch, idle);
        QVERIFY2(late.isEmpty(), qPrintable(late));
        QVERIFY(!w.form->ClientSocket1->Active());
        // The attempt's empty entry shows nothing.
        QCOMPARE(w.log(), QStringList());
        if (nameResolves) {
            QVERIFY(w.shownMessages.first().contains(
                QStringLiteral("127.0.0.1:%1").arg(silent.port())));
            QVERIFY(w.shownMessages.first().contains(QStringLiteral("Zeitüberschreitung")));
            // The connect timer is a coarse one, which Qt lets fire up to 5 % early.
            QVERIFY(waited >= std::chrono::milliseconds(ConnectTimeoutMs * 95 / 100));
        } else {
            QVERIFY(w.shownMessages.first().contains(QStringLiteral("host.invalid")));
        }
        // The failed attempt leaves nothing in the way of the next one.
        QVERIFY(w.connectToPeer());
        QCOMPARE(w.shownMessages.size(), 1);
    }

    void bytesThatAreNoTextAreShownLiterallyOnOneLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("NUL") << QByteArray("INFO\0\0 1\0", 9);
        QTest::newRow("0xFF") << QByteArray("\xff\xff\xff\xfe");
        QTest::newRow("invalid UTF-8")
            << QByteArray("\xc3\x28 \xa0\xa1 \xe2\x28\xa1 \xf0\x90\x28\xbc "
                          "\xed\xa0\x80 \xc0\xaf");
        QTest::newRow("10 000 LF") << QByteArray(10000, '\n');
        QTest::newRow("5 000 CR LF") << QByteArray("\r\n").repeated(5000);
        QTest::newRow("C1 next line, VT, FF") << QByteArray("a\x85"
                                                            "b\x0b"
                                                            "c\x0c"
                                                            "d");
        QTest::newRow("markup") << QByteArray("<b>fett</b><img src=\"file:///etc/passwd\">"
                                              "<a href=\"x\">y</a>&lt;&amp;<br>z");
        QTest::newRow("terminal escapes") << QByteArray("\x1b[2J\x1b[31mrot\x07");
    }
    void bytesThatAreNoTextAreShownLiterallyOnOneLine()
    {
        QFETCH(QByteArray, bytes);
        WindowFixture& w = rowWindow();
        if (!w.form->isVisible()) {
            w.form->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        }
        QLabel* panel = w.statusPanel();
        w.form->setStatusLine(QStringLiteral("x"));
        const int oneLineHigh = panel->sizeHint().height();
        QVERIFY(w.form->ClientSocket1->Active() || w.connectToPeer());

        QString shownInTurn;
        QObject reader;
        connect(w.form->ClientSocket1, &TClientSocket::OnRead, &reader,
                [&] { shownInTurn += w.status(); });
        w.peer.sendToClients(bytes);
        QTRY_COMPARE(shownInTurn.size(), bytes.size());
        // One character per byte: nothing decoded, dropped or added.
        QCOMPARE(shownInTurn, statusShowing(bytes));

        // The status line holds the last read: the end of what was sent.
        const QString received = QString::fromLatin1(bytes.right(w.status().size()));
        const QString visible = panel->text();
        QCOMPARE(panel->textFormat(), Qt::PlainText);
        QVERIFY(!visible.isEmpty());
        QVERIFY(visible.size() <= received.size());
        for (qsizetype i = 0; i < visible.size(); ++i) {
            const char16_t was = received.at(i).unicode();
            const char16_t is = visible.at(i).unicode();
            const bool control = was < 0x20 || (was >= 0x7f && was < 0xa0);
            if (control) {
                QVERIFY2(is >= 0x20 && !(is >= 0x7f && is < 0xa0), qPrintable(QString::number(i)));
            } else {
                QCOMPARE(is, was);
            }
        }
        QCOMPARE(panel->sizeHint().height(), oneLineHigh);
        QVERIFY(!w.form->StatusBar1->grab().isNull());
        QVERIFY(w.shownMessages.isEmpty());
    }

private:
    WindowFixture& rowWindow()
    {
        WindowFixture& w = windows.forThisRow();
        w.shownMessages.clear();
        return w;
    }

    WindowPerTest<WindowFixture> windows;
};

QTEST_MAIN(tst_Robustness)
#include "tst_robustness.moc"
