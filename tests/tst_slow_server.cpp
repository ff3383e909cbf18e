// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_liveness.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QTest>

#ifdef __linux__
#include <netinet/in.h>
#include <netinet/tcp.h>
#endif

// A server that is alive but reads nothing for a minute, while its system still acknowledges,
// is slow, not dead: the window reports nothing, and every line arrives once it reads again.
class tst_SlowServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void serverThatStopsReadingForAMinuteIsNotDeclaredDead()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.peer.setReading(false);
        // Lines that follow wait behind a closed window, as behind a server busy for a minute.
        QVERIFY2(w.fillPeerWindow(), "the system never stopped taking data");

        // The operator goes on: power on and off every ten seconds, for a minute.
        constexpr int Presses = 6;
        for (int press = 0; press < Presses; ++press) {
            (press % 2 == 0 ? w.form->Button4 : w.form->Button3)->click();
            QTest::qWait(10000);
            QVERIFY2(w.shownMessages.isEmpty(), qPrintable(w.shownMessages.join(u'\n')));
            QVERIFY(w.form->ClientSocket1->Active());
        }

        w.peer.setReading(true);
        QTRY_VERIFY_WITH_TIMEOUT(w.peer.receivedBytes().endsWith("SET POWER OFF \r\n"), 60000);
        QCOMPARE(w.peer.receivedBytes().count("SET POWER "), Presses);
        QVERIFY(w.shownMessages.isEmpty());
#ifdef __linux__
        // The bound lifted meanwhile holds again, for a server that dies from now on.
        const auto descriptor = w.form->ClientSocket1->findChild<QTcpSocket*>()->socketDescriptor();
        if (LinkLiveness::sendQueue(descriptor)) {
            const auto bound = [descriptor] {
                int value = -1;
                socklen_t length = sizeof value;
                ::getsockopt(int(descriptor), IPPROTO_TCP, TCP_USER_TIMEOUT, &value, &length);
                return value;
            };
            QTRY_COMPARE_WITH_TIMEOUT(bound(), LinkLiveness::UnacknowledgedLimitMs, 3000);
        }
#endif
    }
};

QTEST_MAIN(tst_SlowServer)
#include "tst_slow_server.moc"
