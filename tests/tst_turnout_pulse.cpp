// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "arrival_stamps.h"
#include "nano_pause.h"
#include "tradio_group.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QMetaObject>
#include <QTcpSocket>

#include <memory>
#include <utility>

namespace {

constexpr qint64 PulseNs = 300'000'000;

// On Linux the peer stamps each line with the time the kernel received it. Windows and qemu-user
// hand it no such stamp: the peer stamps a line when its thread gets to it, which may be
// milliseconds late, and a late on-line stamp shortens the gap it sees. There a pulse's length
// is checked where its lines leave the window.
const bool PeerStampsArrivals = kernelStampsArrivals();

// When each write of the window's socket went to the system, on the clock of the peer's arrival
// stamps. The window flushes every line as it sends it, and the socket reports each flushed
// write at once, inside the handler that sends it.
class SendClock : public QObject
{
public:
    explicit SendClock(const TClientSocket* socket)
    {
        connect(socket->findChild<QTcpSocket*>(), &QTcpSocket::bytesWritten, this,
                [this] { stamps.append(RecordingPeer::monotonicNs()); });
    }

    QList<qint64> stamps;
};

// Takes the window's pause timer away for one test, and puts it back.
class PauseTimerSwap
{
public:
    explicit PauseTimerSwap(std::unique_ptr<NanoPause> replacement)
        : kept(std::exchange(PauseTimer, std::move(replacement)))
    {
    }
    ~PauseTimerSwap() { PauseTimer = std::move(kept); }
    PauseTimerSwap(const PauseTimerSwap&) = delete;
    PauseTimerSwap& operator=(const PauseTimerSwap&) = delete;

private:
    std::unique_ptr<NanoPause> kept;
};

QString nanoseconds(qint64 ns)
{
    return QStringLiteral("%1 ns").arg(ns);
}

QPushButton* routeButton(TForm1& form, bool diverging)
{
    return diverging ? form.abbiegen_Button : form.gerade_Button;
}

} // namespace

class tst_TurnoutPulse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One connected window for all cases, as an operator sends pulse after pulse on one
    // connection; init() puts back what a case changed.
    void initTestCase()
    {
        shared = std::make_unique<WindowFixture>();
        QVERIFY(shared->connectToPeer());
    }
    void cleanupTestCase() { shared.reset(); }

    void init()
    {
        failOnAnyWarning();
        if (!shared->form->ClientSocket1->Active()) {
            QVERIFY(shared->connectToPeer());
        }
        shared->peer.clear();
        shared->shownMessages.clear();
        shared->form->RadioGroup4->setItemIndex(0);
        shared->form->SendenEdit->setText(QStringLiteral("1"));
    }

    void pulseOnTheWire_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("diverging");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("onLine");
        QTest::addColumn<QByteArray>("offLine");
        QTest::newRow("Märklin gerade")
            << 0 << false << "007" << QByteArray("SET GA M 7 0 1 -1\r\n")
            << QByteArray("SET GA M 7 0 0 -1\r\n");
        QTest::newRow("Märklin abbiegen") << 0 << true << "3" << QByteArray("SET GA M 3 1 1 -1\r\n")
                                          << QByteArray("SET GA M 3 1 0 -1\r\n");
        QTest::newRow("DCC gerade") << 1 << false << "12" << QByteArray("SET GA N 12 0 1 -1\r\n")
                                    << QByteArray("SET GA N 12 0 0 -1\r\n");
        QTest::newRow("DCC abbiegen") << 1 << true << "12" << QByteArray("SET GA N 12 1 1 -1\r\n")
                                      << QByteArray("SET GA N 12 1 0 -1\r\n");
        // The address goes back out in plain decimal, whatever notation was typed.
        QTest::newRow("plus sign") << 0 << false << "+5" << QByteArray("SET GA M 5 0 1 -1\r\n")
                                   << QByteArray("SET GA M 5 0 0 -1\r\n");
        QTest::newRow("leading zero") << 0 << true << "05" << QByteArray("SET GA M 5 1 1 -1\r\n")
                                      << QByteArray("SET GA M 5 1 0 -1\r\n");
        QTest::newRow("negative") << 0 << false << "-3" << QByteArray("SET GA M -3 0 1 -1\r\n")
                                  << QByteArray("SET GA M -3 0 0 -1\r\n");
    }
    void pulseOnTheWire()
    {
        QFETCH(int, protocol);
        QFETCH(bool, diverging);
        QFETCH(QString, address);
        QFETCH(QByteArray, onLine);
        QFETCH(QByteArray, offLine);
        WindowFixture& w = *shared;
        const QStringList logBefore = w.log();
        w.form->RadioGroup4->setItemIndex(protocol);
        w.form->SendenEdit->setText(address);
        SendClock sendClock(w.form->ClientSocket1);

        routeButton(*w.form, diverging)->click();

        QVERIFY(w.peerReceived(onLine + offLine));
        QCOMPARE(w.log().mid(logBefore.size()),
                 logLines({QString::fromLatin1(onLine), QString::fromLatin1(offLine)}));
        const QList<RecordingPeer::Line> lines = w.peer.lines();
        QCOMPARE(lines.size(), 2);
        const qint64 onArrived = lines.at(0).arrivalNs;
        const qint64 offArrived = lines.at(1).arrivalNs;
        QCOMPARE(sendClock.stamps.size(), 2);
        const qint64 onSent = sendClock.stamps.at(0);
        const qint64 offSent = sendClock.stamps.at(1);
        if (PeerStampsArrivals) {
            QVERIFY2(offArrived - onArrived >= PulseNs,
                     qPrintable(nanoseconds(offArrived - onArrived)));
            // Sent at once, not held back until the handler returns: the on-line was at the
            // peer a whole pulse before the off-line left.
            QVERIFY2(offSent - onArrived >= PulseNs, qPrintable(nanoseconds(offSent - onArrived)));
        } else {
            QVERIFY2(offSent - onSent >= PulseNs, qPrintable(nanoseconds(offSent - onSent)));
            // A late stamp can only be later than the arrival, so this still shows the on-line
            // was not held back until the handler returned.
            QVERIFY2(onArrived < offSent, qPrintable(nanoseconds(offSent - onArrived)));
        }
        QVERIFY(w.shownMessages.isEmpty());
    }

    void pressThatSendsNothing_data()
    {
        QTest::addColumn<bool>("diverging");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("messages");
        const auto error = [](const QString& text) {
            return QStringList{QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text)};
        };
        QTest::newRow("empty") << false << "" << QStringList();
        QTest::newRow("letter") << true << "a" << error("a");
        QTest::newRow("blanks") << false << "  " << error("  ");
        QTest::newRow("sign only") << true << "-" << error("-");
        QTest::newRow("beyond 32 bits") << false << "2147483648" << error("2147483648");
    }
    void pressThatSendsNothing()
    {
        QFETCH(bool, diverging);
        QFETCH(QString, text);
        QFETCH(QStringList, messages);
        WindowFixture& w = *shared;
        const QStringList logBefore = w.log();
        w.form->SendenEdit->setText(text);
        // Without a timer a press that reached the pause stops the test here instead of
        // passing unseen: no time bound can show that a wait did not happen.
        const PauseTimerSwap noTimer(nullptr);

        routeButton(*w.form, diverging)->click();

        QCOMPARE(w.shownMessages, messages);
        QCOMPARE(w.log(), logBefore);
        // Anything the press had sent would be at the peer ahead of this marker.
        w.form->ClientSocket1->SendText(QStringLiteral("marker\n"));
        QVERIFY(w.peerReceived("marker\n"));
    }

    void withoutConnectionBothLinesAreLoggedAndNothingIsSent()
    {
        WindowFixture& w = *shared;
        w.form->TrennenButton->click();
        QTRY_COMPARE(w.peer.activeConnections(), 0);
        const QStringList logBefore = w.log();
        w.form->SendenEdit->setText(QStringLiteral("9"));

        // The pulse holds the window as it does on a connection.
        const qint64 pressed = RecordingPeer::monotonicNs();
        w.form->abbiegen_Button->click();
        const qint64 released = RecordingPeer::monotonicNs();

        QCOMPARE(w.log().mid(logBefore.size()),
                 logLines({"SET GA M 9 1 1 -1\r\n", "SET GA M 9 1 0 -1\r\n"}));
        QVERIFY2(released - pressed >= PulseNs, qPrintable(nanoseconds(released - pressed)));
        QVERIFY(w.shownMessages.isEmpty());
        // Lines kept back somewhere would go out on the next connection, ahead of this marker.
        QVERIFY(w.connectToPeer());
        w.form->ClientSocket1->SendText(QStringLiteral("marker\n"));
        QVERIFY(w.peerReceived("marker\n"));
    }

    void withoutACounterTheOffLineFollowsAtOnce()
    {
        WindowFixture& w = *shared;
        auto counterless = std::make_unique<NanoPause>();
        counterless->CounterAvailable = 0;
        counterless->Frequency = 1;
        const PauseTimerSwap swap(std::move(counterless));
        const QStringList logBefore = w.log();
        w.form->SendenEdit->setText(QStringLiteral("4"));

        w.form->gerade_Button->click();

        QVERIFY(w.peerReceived("SET GA M 4 0 1 -1\r\nSET GA M 4 0 0 -1\r\n"));
        QCOMPARE(w.log().mid(logBefore.size()),
                 logLines({"SET GA M 4 0 1 -1\r\n", "SET GA M 4 0 0 -1\r\n"}));
    }

    void secondPressDuringAPulseFollowsIt_data()
    {
        QTest::addColumn<bool>("secondDiverging");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("same button")
            << false << QByteArray("SET GA N 21 0 1 -1\r\nSET GA N 21 0 0 -1\r\n");
        QTest::newRow("other button")
            << true << QByteArray("SET GA N 21 1 1 -1\r\nSET GA N 21 1 0 -1\r\n");
    }
    void secondPressDuringAPulseFollowsIt()
    {
        QFETCH(bool, secondDiverging);
        QFETCH(QByteArray, second);
        const QByteArray first("SET GA N 21 0 1 -1\r\nSET GA N 21 0 0 -1\r\n");
        WindowFixture& w = *shared;
        const QStringList logBefore = w.log();
        w.form->RadioGroup4->setItemIndex(1);
        w.form->SendenEdit->setText(QStringLiteral("21"));
        SendClock sendClock(w.form->ClientSocket1);

        // Both presses wait in the event queue: the second comes due while the first pulses.
        QVERIFY(QMetaObject::invokeMethod(w.form->gerade_Button, "click", Qt::QueuedConnection));
        QVERIFY(QMetaObject::invokeMethod(routeButton(*w.form, secondDiverging), "click",
                                          Qt::QueuedConnection));

        QVERIFY(w.peerReceived(first + second, 10000));
        const QList<RecordingPeer::Line> lines = w.peer.lines();
        QCOMPARE(lines.size(), 4);
        QStringList expectedLog;
        for (const RecordingPeer::Line& line : lines) {
            expectedLog << QString::fromLatin1(line.bytes);
        }
        QCOMPARE(w.log().mid(logBefore.size()), logLines(expectedLog));
        QCOMPARE(sendClock.stamps.size(), 4);
        for (const int on : {0, 2}) {
            const qint64 gap = PeerStampsArrivals
                                   ? lines.at(on + 1).arrivalNs - lines.at(on).arrivalNs
                                   : sendClock.stamps.at(on + 1) - sendClock.stamps.at(on);
            QVERIFY2(gap >= PulseNs, qPrintable(nanoseconds(gap)));
        }
        // The second on-line left only after the first pulse was over.
        QVERIFY(lines.at(2).arrivalNs > sendClock.stamps.at(1));
        QVERIFY(w.shownMessages.isEmpty());
    }

private:
    std::unique_ptr<WindowFixture> shared;
};

QTEST_MAIN(tst_TurnoutPulse)
#include "tst_turnout_pulse.moc"
