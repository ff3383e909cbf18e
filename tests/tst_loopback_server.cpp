// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "recording_peer.h"
#include "server_process.h"
#include "srcp_responder.h"
#include "warnings_fail.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<QTcpSocket> connectTo(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    return socket->waitForConnected(ServerWaitMs) ? std::move(socket) : nullptr;
}

QByteArray nextLine(QTcpSocket& socket)
{
    while (!socket.canReadLine() && socket.waitForReadyRead(ServerWaitMs)) {
    }
    return socket.readLine();
}

QByteArray ask(QTcpSocket& socket, const QByteArray& line)
{
    socket.write(line);
    socket.flush();
    return nextLine(socket);
}

} // namespace

class tst_LoopbackServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (emulatorCannotStartProcesses()) {
            QSKIP("This emulator cannot start the server as a process of its own.");
        }
    }
    void init() { failOnAnyWarning(); }
    void greetsOnLoopback();
    void answersAndPrints_data();
    void answersAndPrints();
    void printsPulseLength();
    void standardInputSetsContacts();
    void silentSetAnswersOnlyGet();
    void refusesBadStart_data();
    void refusesBadStart();
    void stopsCleanlyWhenTerminated();
};

void tst_LoopbackServer::greetsOnLoopback()
{
    ServerProcess server({});
    const quint16 port = server.waitForPort();
    QVERIFY(port != 0);
    const auto client = connectTo(port);
    QVERIFY(client);
    QCOMPARE(nextLine(*client), SrcpResponder::welcomeLine());
    QVERIFY(server.outputContaining(" connected\n").contains(" #1 127.0.0.1:"));
}

void tst_LoopbackServer::answersAndPrints_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("printed");

    QTest::newRow("turnout") << QByteArray("SET GA M 7 0 1 -1\r\n")
                             << QByteArray("INFO GA M 7 0 1 -1\n")
                             << QByteArray(" SET GA M 7 0 1 -1\\r\\n\n");
    QTest::newRow("loco") << QByteArray("SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n")
                          << QByteArray("INFO GL M1 1 1 0 100 0 4 0 0 0 0\n")
                          << QByteArray(" SET GL M1 1 1 0 100 0 4 0 0 0 0\\r\\n\n");
    QTest::newRow("power") << QByteArray("SET POWER ON \r\n") << QByteArray("INFO POWER ON\n")
                           << QByteArray(" SET POWER ON \\r\\n\n");
    QTest::newRow("feedback with --contact")
        << QByteArray("GET FB S88 1 \n")
        << QByteArray("INFO FB S88 1 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 1\n")
        << QByteArray(" GET FB S88 1 \\n\n");
    QTest::newRow("garbage") << QByteArray("\tjunk\x01\n") << QByteArray("INFO -2\n")
                             << QByteArray(" \\tjunk\\x01\\n\n");
}

void tst_LoopbackServer::answersAndPrints()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, printed);

    ServerProcess server({QStringLiteral("--contact"), QStringLiteral("1:5:1"),
                          QStringLiteral("--contact"), QStringLiteral("1:16:1")});
    const auto client = connectTo(server.waitForPort());
    QVERIFY(client);
    QCOMPARE(nextLine(*client), SrcpResponder::welcomeLine());
    QCOMPARE(ask(*client, line), answer);

    const QRegularExpression stamped(
        QStringLiteral("\\n\\d+\\.\\d{6} #1 127\\.0\\.0\\.1:%1 ").arg(client->localPort()));
    const QByteArray output = server.outputContaining(printed);
    const qsizetype at = output.indexOf(printed);
    QVERIFY2(at > 0, output.constData());
    QVERIFY(QString::fromLatin1(output.left(at + 1)).contains(stamped));
}

void tst_LoopbackServer::printsPulseLength()
{
    ServerProcess server({});
    const auto client = connectTo(server.waitForPort());
    QVERIFY(client);
    QCOMPARE(nextLine(*client), SrcpResponder::welcomeLine());

    QCOMPARE(ask(*client, "SET GA M 7 0 1 -1\r\n"), "INFO GA M 7 0 1 -1\n");
    QTest::qWait(100);
    // Another output's line in between must not end the pulse.
    QCOMPARE(ask(*client, "SET GA M 7 1 0 -1\r\n"), "INFO GA M 7 1 0 -1\n");
    QCOMPARE(ask(*client, "SET GA M 7 0 0 -1\r\n"), "INFO GA M 7 0 0 -1\n");

    static const QRegularExpression pulse(
        QStringLiteral("SET GA M 7 0 0 -1\\\\r\\\\n  pulse (\\d+)\\.\\d{3} ms\\n"));
    const QString output = QString::fromLatin1(server.outputContaining("pulse"));
    const auto match = pulse.match(output);
    QVERIFY2(match.hasMatch(), qPrintable(output));
    // Half the wait: each stamp may lag its line a little on a busy machine.
    QVERIFY(match.captured(1).toInt() >= 50);
    QCOMPARE(output.count(QStringLiteral("pulse")), 1);
}

void tst_LoopbackServer::standardInputSetsContacts()
{
    ServerProcess server({});
    const auto client = connectTo(server.waitForPort());
    QVERIFY(client);
    QCOMPARE(nextLine(*client), SrcpResponder::welcomeLine());

    // A Windows console ends its lines with CR LF.
    server.process().write("FB 2 3 1\r\nFB 2 99 1\n");
    QVERIFY(server.outputContaining("contact S88 2 3 = 1\n").contains("contact S88 2 3 = 1\n"));
    QCOMPARE(ask(*client, "GET FB S88 2 \n"), "INFO FB S88 2 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
    QByteArray errors;
    QTRY_VERIFY((errors += server.process().readAllStandardError()).contains("expected: FB"));

    // The end of its input leaves the server serving, and printing on its main thread.
    server.process().closeWriteChannel();
    QCOMPARE(ask(*client, "GET FB S88 3 \n"), "INFO FB S88 3 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
    QVERIFY(server.outputContaining("GET FB S88 3 \\n\n").contains("GET FB S88 3 \\n\n"));
    QCOMPARE(server.process().state(), QProcess::Running);
}

void tst_LoopbackServer::silentSetAnswersOnlyGet()
{
    ServerProcess server({QStringLiteral("--silent-set")});
    const auto client = connectTo(server.waitForPort());
    QVERIFY(client);
    QCOMPARE(nextLine(*client), SrcpResponder::welcomeLine());

    // The first answer is the GET's: the SET before it changed the state and said nothing.
    client->write("SET POWER ON \r\n");
    QCOMPARE(ask(*client, "GET POWER\n"), "INFO POWER ON\n");
}

void tst_LoopbackServer::refusesBadStart_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("portTaken");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("port not a number") << QStringList{"--port", "abc"} << false << 2;
    QTest::newRow("address not an address") << QStringList{"--address", "nowhere"} << false << 2;
    QTest::newRow("contact out of range") << QStringList{"--contact", "1:17:1"} << false << 2;
    QTest::newRow("port in use") << QStringList{} << true << 1;
}

void tst_LoopbackServer::refusesBadStart()
{
    QFETCH(QStringList, options);
    QFETCH(bool, portTaken);
    QFETCH(int, exitCode);

    RecordingPeer occupant;
    QVERIFY(occupant.listen());
    if (portTaken) {
        options << QStringLiteral("--port") << QString::number(occupant.port());
    }
    ServerProcess server(options);
    QVERIFY(server.process().waitForFinished(ServerWaitMs));
    QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process().exitCode(), exitCode);
    QVERIFY(!server.process().readAllStandardError().isEmpty());
}

void tst_LoopbackServer::stopsCleanlyWhenTerminated()
{
    ServerProcess server({});
    const auto client = connectTo(server.waitForPort());
    QVERIFY(client);
    QCOMPARE(nextLine(*client), SrcpResponder::welcomeLine());

    // SIGTERM on POSIX; on Windows a WM_CLOSE posted to the server's main thread.
    server.process().terminate();
    QVERIFY(server.process().waitForFinished(ServerWaitMs));
    QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process().exitCode(), 0);
    QVERIFY(server.outputContaining("stopping").contains("stopping on signal"));
    QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
}

QTEST_GUILESS_MAIN(tst_LoopbackServer)
#include "tst_loopback_server.moc"
