// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_liveness.h"
#include "liveness_watch.h"
#include "recording_peer.h"
#include "unacknowledged_lines.h"
#include "warnings_fail.h"

#include <QTcpSocket>
#include <QTest>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

#ifdef _WIN32
using OptionValue = DWORD;
using OptionLength = int;
// Windows 10 1709's option names, as link_liveness.cpp sets them.
constexpr int KeepIdle = 3;
constexpr int KeepInterval = 17;
constexpr int KeepCount = 16;
constexpr int UnacknowledgedLimit = 5; // TCP_MAXRT, in seconds
constexpr int UnacknowledgedLimitValue = LinkLiveness::UnacknowledgedLimitMs / 1000;
#else
using OptionValue = int;
using OptionLength = socklen_t;
constexpr int KeepIdle = TCP_KEEPIDLE;
constexpr int KeepInterval = TCP_KEEPINTVL;
constexpr int KeepCount = TCP_KEEPCNT;
constexpr int UnacknowledgedLimit = TCP_USER_TIMEOUT; // in milliseconds
constexpr int UnacknowledgedLimitValue = LinkLiveness::UnacknowledgedLimitMs;
#endif

std::optional<OptionValue> readOption(qintptr descriptor, int level, int name)
{
    OptionValue value{};
    OptionLength length = sizeof value;
    if (::getsockopt(static_cast<decltype(::socket(0, 0, 0))>(descriptor), level, name,
                     reinterpret_cast<char*>(&value), &length) != 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

// The dead-peer settings as the system holds them on a real connection, when the bound is
// lifted, and the record of what was not acknowledged.
class tst_LinkLiveness : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void settingsReadBackFromTheSocket_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("name");
        QTest::addColumn<int>("expected");
        QTest::newRow("keepalive") << int(SOL_SOCKET) << int(SO_KEEPALIVE) << 1;
        QTest::newRow("idle before the first probe")
            << int(IPPROTO_TCP) << KeepIdle << LinkLiveness::IdleBeforeProbeSeconds;
        QTest::newRow("between probes")
            << int(IPPROTO_TCP) << KeepInterval << LinkLiveness::ProbeIntervalSeconds;
        QTest::newRow("probes") << int(IPPROTO_TCP) << KeepCount << LinkLiveness::ProbeCount;
        QTest::newRow("unacknowledged data")
            << int(IPPROTO_TCP) << UnacknowledgedLimit << UnacknowledgedLimitValue;
    }
    void settingsReadBackFromTheSocket()
    {
        QFETCH(int, level);
        QFETCH(int, name);
        QFETCH(int, expected);
        RecordingPeer peer;
        QVERIFY(peer.listen());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, peer.port());
        QVERIFY(client.waitForConnected(10000));
        QVERIFY(LinkLiveness::enableKeepAlive(client.socketDescriptor()));
        LivenessWatch watch;
        const LinkLiveness::Settings settings = watch.start(client.socketDescriptor());
        if (name == UnacknowledgedLimit && !settings.unacknowledgedLimit) {
            QSKIP("This system does not tell its send queue, or takes no bound on unacknowledged "
                  "data: only keepalive finds a dead server here");
        }
        const auto value = readOption(client.socketDescriptor(), level, name);
#ifdef _WIN32
        // Before 10 1709 the probes' timing is set as a whole, and not told; Wine may lack it.
        if (!value) {
            QSKIP("This Windows does not tell this setting");
        }
#endif
        QVERIFY(settings.probeTiming);
        QVERIFY(value.has_value());
        QCOMPARE(int(*value), expected);
    }

    void windowClosedOnlyWhenThePeerHoldsItShut_data()
    {
        QTest::addColumn<qint64>("unacknowledged");
        QTest::addColumn<qint64>("unsent");
        QTest::addColumn<qint64>("peerWindow");
        QTest::addColumn<bool>("closed");
        QTest::newRow("in flight") << qint64(100) << qint64(0) << qint64(65000) << false;
        QTest::newRow("waiting, window shut") << qint64(3000) << qint64(3000) << qint64(0) << true;
        QTest::newRow("waiting, window smaller than a segment")
            << qint64(3000) << qint64(3000) << qint64(100) << true;
        // The machine's own link went away: the packets could not leave, the window is open.
        QTest::newRow("waiting, window open") << qint64(30) << qint64(30) << qint64(65000) << false;
    }
    void windowClosedOnlyWhenThePeerHoldsItShut()
    {
        QFETCH(qint64, unacknowledged);
        QFETCH(qint64, unsent);
        QFETCH(qint64, peerWindow);
        const LinkLiveness::SendQueue queue{unacknowledged, unsent, peerWindow, 1460};
        QTEST(LinkLiveness::peerWindowClosed(queue), "closed");
    }

    void unacknowledgedLines_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<qint64>("acknowledged");
        QTest::addColumn<int>("expectedCount");
        QTest::addColumn<QList<QByteArray>>("expectedNewest");
        // Lines "L0\r\n", "L1\r\n", ... four bytes each.
        QTest::newRow("none acknowledged")
            << 3 << qint64(0) << 3 << QList<QByteArray>{"L1\r\n", "L2\r\n"};
        QTest::newRow("a line partly acknowledged may not have arrived whole")
            << 3 << qint64(5) << 2 << QList<QByteArray>{"L1\r\n", "L2\r\n"};
        QTest::newRow("more than are kept to name: all counted, the newest named")
            << int(UnacknowledgedLines::KeptTexts + 5) << qint64(0)
            << int(UnacknowledgedLines::KeptTexts + 5)
            << QList<QByteArray>{"L1003\r\n", "L1004\r\n"};
    }
    void unacknowledgedLines()
    {
        QFETCH(int, lines);
        QFETCH(qint64, acknowledged);
        UnacknowledgedLines record;
        for (int i = 0; i < lines; ++i) {
            record.sent("L" + QByteArray::number(i) + "\r\n");
        }
        record.acknowledgedUpTo(acknowledged);
        QTEST(int(record.count()), "expectedCount");
        QTEST(record.newest(2), "expectedNewest");
        QCOMPARE(record.newest(100000).size(),
                 std::min<qsizetype>(record.count(), UnacknowledgedLines::KeptTexts));
    }
};

QTEST_GUILESS_MAIN(tst_LinkLiveness)
#include "tst_link_liveness.moc"
