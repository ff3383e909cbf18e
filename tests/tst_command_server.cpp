// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "arrival_stamps.h"
#include "line_reader.h"
#include "native_socket.h"
#include "recording_peer.h"
#include "warnings_fail.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<QTcpSocket> connectedClient(const RecordingPeer& peer)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress(QHostAddress::LocalHost), peer.port());
    if (!socket->waitForConnected(5000)) {
        return nullptr;
    }
    return socket;
}

// Blocking is fine here: the peer answers from its own thread.
QByteArray readUntil(QTcpSocket& socket, QByteArrayView end)
{
    QByteArray received;
    while (!received.endsWith(end) &&
           (socket.bytesAvailable() > 0 || socket.waitForReadyRead(5000))) {
        received += socket.readAll();
    }
    return received;
}

// Below Qt, which reports a reset and an orderly end alike: everything up to the end of the
// stream, followed by "<reset>" where the stream ended in a reset (or "<timeout>").
QByteArray readToEnd(const QTcpSocket& socket)
{
    const auto handle = static_cast<NativeSocket>(socket.socketDescriptor());
    QByteArray received;
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle, &readable);
        timeval wait{5, 0};
        if (::select(static_cast<int>(handle) + 1, &readable, nullptr, nullptr, &wait) <= 0) {
            return received + "<timeout>";
        }
        char buffer[256];
        const auto count = ::recv(handle, buffer, sizeof buffer, 0);
        const int error = count < 0 ? lastSocketError() : 0;
        if (count == 0) {
            return received;
        }
        if (count < 0 && !socketCallMayRetry(error)) {
            return received + "<reset>";
        }
        received.append(buffer, std::max<qsizetype>(count, 0));
    }
}

void busyWait(qint64 ns)
{
    const qint64 start = RecordingPeer::monotonicNs();
    while (RecordingPeer::monotonicNs() - start < ns) {
    }
}

} // namespace

class tst_CommandServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }
    void listensOnLoopbackAndRecordsNothing();
    void recordsWritesAsLines_data();
    void recordsWritesAsLines();
    void stampsArrivalWhileOwnerThreadIsBusy();
    void stampsArrivalNotRead();
    void answers_data();
    void answers();
    void twoClientsAtOnce();
    void overlongLineClosesOnlyItsConnection();
    void sendAndCloseReachEveryClient_data();
    void sendAndCloseReachEveryClient();
    void stopRefusesNewConnections();
    void notReadingBacksUpTheClient();
};

void tst_CommandServer::listensOnLoopbackAndRecordsNothing()
{
    RecordingPeer peer;
    QCOMPARE(peer.port(), quint16(0));
    QVERIFY(peer.listen());
    QVERIFY(peer.port() != 0);
    QVERIFY(peer.receivedBytes().isEmpty());
    QVERIFY(peer.lines().isEmpty());
    QCOMPARE(peer.connectionCount(), 0);
    QCOMPARE(peer.activeConnections(), 0);

    // Recording only: a client hears nothing, not even a welcome.
    const auto client = connectedClient(peer);
    QVERIFY(client);
    QTRY_COMPARE(peer.activeConnections(), 1);
    QCOMPARE(client->peerAddress(), QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(client->bytesAvailable(), 0);
}

void tst_CommandServer::recordsWritesAsLines_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QList<QByteArray>>("lines");

    QTest::newRow("CR LF") << QList<QByteArray>{"SET POWER ON \r\n"}
                           << QList<QByteArray>{"SET POWER ON \r\n"};
    QTest::newRow("LF only") << QList<QByteArray>{"GET FB S88 1 \n"}
                             << QList<QByteArray>{"GET FB S88 1 \n"};
    QTest::newRow("partial line across writes")
        << QList<QByteArray>{"SET GL M1 1 ", "1 0 100 0 4 0 0 0 0", "\r\n"}
        << QList<QByteArray>{"SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"};
    QTest::newRow("CR and LF in separate writes") << QList<QByteArray>{"SET GA M 7 0 1 -1\r", "\n"}
                                                  << QList<QByteArray>{"SET GA M 7 0 1 -1\r\n"};
    QTest::newRow("two lines in one write, rest later")
        << QList<QByteArray>{"SET POWER ON \r\nGET FB S88 1 \nSET ", "POWER OFF \r\n"}
        << QList<QByteArray>{"SET POWER ON \r\n", "GET FB S88 1 \n", "SET POWER OFF \r\n"};
    QTest::newRow("no line end yet") << QList<QByteArray>{"SET POWER"} << QList<QByteArray>{};
}

void tst_CommandServer::recordsWritesAsLines()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QList<QByteArray>, lines);

    RecordingPeer peer;
    QVERIFY(peer.listen());
    QSignalSpy lineSpy(&peer, &RecordingPeer::lineReceived);
    const auto client = connectedClient(peer);
    QVERIFY(client);

    QByteArray sent;
    for (const QByteArray& write : writes) {
        client->write(write);
        QVERIFY(client->flush());
        sent += write;
        // Each write lands before the next leaves, so each is a read of its own.
        QTRY_COMPARE(peer.receivedBytes(), sent);
    }
    QCOMPARE(peer.chunks().size(), writes.size());

    QList<QByteArray> gotLines;
    qint64 previousArrival = 0;
    for (const RecordingPeer::Line& line : peer.lines()) {
        gotLines.append(line.bytes);
        QCOMPARE(line.connectionId, 1);
        QCOMPARE(line.peer, QStringLiteral("127.0.0.1:%1").arg(client->localPort()));
        QVERIFY(line.arrivalNs >= previousArrival);
        previousArrival = line.arrivalNs;
    }
    QCOMPARE(gotLines, lines);
    QTRY_COMPARE(lineSpy.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QCOMPARE(lineSpy.at(i).at(0).toByteArray(), lines.at(i));
    }
}

void tst_CommandServer::stampsArrivalWhileOwnerThreadIsBusy()
{
    RecordingPeer peer;
    QVERIFY(peer.listen());
    const auto client = connectedClient(peer);
    QVERIFY(client);
    QTRY_COMPARE(peer.activeConnections(), 1);

    // The window's pulse: on-line, 300 ms with the event loop held, off-line.
    const qint64 sent = RecordingPeer::monotonicNs();
    client->write("SET GA M 7 0 1 -1\r\n");
    QVERIFY(client->flush());
    busyWait(300'000'000);
    const qint64 waitEnd = RecordingPeer::monotonicNs();
    client->write("SET GA M 7 0 0 -1\r\n");
    QVERIFY(client->flush());

    QTRY_COMPARE(peer.lines().size(), 2);
    const QList<RecordingPeer::Line> lines = peer.lines();
    QVERIFY(lines.at(0).arrivalNs >= sent);
    // Only a reader on another thread can have stamped it before this thread woke up.
    QVERIFY2(lines.at(0).arrivalNs < waitEnd,
             qPrintable(QStringLiteral("stamped %1 ns after the wait ended")
                            .arg(lines.at(0).arrivalNs - waitEnd)));
    QVERIFY(lines.at(1).arrivalNs >= waitEnd);
}

void tst_CommandServer::stampsArrivalNotRead()
{
    // A peer thread that runs late must not shorten a pulse: the stamp is the bytes' arrival
    // in the kernel, not the moment the thread reads them.
    if (!kernelStampsArrivals()) {
        QSKIP("This system hands no receive time to the reader (Windows keeps none for TCP, "
              "qemu-user drops it); the peer stamps a chunk when it reads it.");
    }
    RecordingPeer peer;
    QVERIFY(peer.listen());
    peer.setReading(false);
    const auto client = connectedClient(peer);
    QVERIFY(client);
    QTRY_COMPARE(peer.activeConnections(), 1);

    const qint64 sent = RecordingPeer::monotonicNs();
    client->write("SET POWER ON \r\n");
    QVERIFY(client->flush());
    busyWait(100'000'000);
    const qint64 readingOn = RecordingPeer::monotonicNs();
    peer.setReading(true);

    QTRY_COMPARE(peer.lines().size(), 1);
    const qint64 arrival = peer.lines().at(0).arrivalNs;
    QVERIFY(arrival >= sent);
    QVERIFY2(
        arrival < readingOn,
        qPrintable(QStringLiteral("stamped %1 ns after reading began").arg(arrival - readingOn)));
}

void tst_CommandServer::answers_data()
{
    QTest::addColumn<RecordingPeer::Answering>("answering");
    QTest::addColumn<bool>("welcome");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");

    using A = RecordingPeer::Answering;
    QTest::newRow("record only") << A::None << false << QByteArray("SET POWER ON \r\n")
                                 << QByteArray();
    QTest::newRow("welcome, no answers")
        << A::None << true << QByteArray("GET POWER\n") << SrcpResponder::welcomeLine();
    QTest::newRow("SET answered") << A::Srcp << false << QByteArray("SET POWER ON \r\n")
                                  << QByteArray("INFO POWER ON\n");
    QTest::newRow("SET silent") << A::SrcpSilentSet << false << QByteArray("SET POWER ON \r\n")
                                << QByteArray();
    QTest::newRow("GET answered when silent")
        << A::SrcpSilentSet << false << QByteArray("GET POWER\n") << QByteArray("INFO POWER OFF\n");
    QTest::newRow("garbage") << A::Srcp << true << QByteArray("SET POWER\r\n")
                             << SrcpResponder::welcomeLine() + "INFO -2\n";
    QTest::newRow("contact set from the test")
        << A::Srcp << false << QByteArray("GET FB S88 2 \n")
        << QByteArray("INFO FB S88 2 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
}

void tst_CommandServer::answers()
{
    QFETCH(RecordingPeer::Answering, answering);
    QFETCH(bool, welcome);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);

    RecordingPeer peer;
    QVERIFY(peer.listen());
    peer.setAnswering(answering);
    peer.setWelcome(welcome);
    QVERIFY(peer.setContact({2, 3, true}));
    const auto client = connectedClient(peer);
    QVERIFY(client);

    client->write(line);
    QVERIFY(client->flush());
    QTRY_COMPARE(peer.lines().size(), 1);
    // Anything the peer answered was written before this, on the same thread.
    peer.sendToClients("MARK\n");
    QCOMPARE(readUntil(*client, "MARK\n"), answer + "MARK\n");
}

void tst_CommandServer::twoClientsAtOnce()
{
    RecordingPeer peer;
    QVERIFY(peer.listen());
    peer.setAnswering(RecordingPeer::Answering::Srcp);
    const auto first = connectedClient(peer);
    const auto second = connectedClient(peer);
    QVERIFY(first && second);
    QTRY_COMPARE(peer.activeConnections(), 2);

    first->write("SET POWER ");
    QVERIFY(first->flush());
    second->write("GET POWER\n");
    QVERIFY(second->flush());
    QCOMPARE(readUntil(*second, "\n"), "INFO POWER OFF\n");
    first->write("ON\n");
    QVERIFY(first->flush());
    QCOMPARE(readUntil(*first, "\n"), "INFO POWER ON\n");

    // Each client's partial line stays its own; the layout state is shared.
    second->write("GET POWER\n");
    QVERIFY(second->flush());
    QCOMPARE(readUntil(*second, "\n"), "INFO POWER ON\n");
    const QList<RecordingPeer::Line> lines = peer.lines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0).bytes, "GET POWER\n");
    QCOMPARE(lines.at(1).bytes, "SET POWER ON\n");
    QVERIFY(lines.at(0).connectionId != lines.at(1).connectionId);
    QCOMPARE(lines.at(2).connectionId, lines.at(0).connectionId);
    QCOMPARE(peer.connectionCount(), 2);
}

void tst_CommandServer::overlongLineClosesOnlyItsConnection()
{
    RecordingPeer peer;
    QVERIFY(peer.listen());
    peer.setAnswering(RecordingPeer::Answering::Srcp);
    QSignalSpy tooLongSpy(&peer, &RecordingPeer::lineTooLong);
    const auto flooder = connectedClient(peer);
    const auto other = connectedClient(peer);
    QVERIFY(flooder && other);
    QTRY_COMPARE(peer.activeConnections(), 2);

    flooder->write("GET POWER\n" + QByteArray(LineReader::MaxLineLength + 1, 'x'));
    QVERIFY(flooder->flush());
    QTRY_COMPARE(flooder->state(), QAbstractSocket::UnconnectedState);
    // Queued from the peer's thread; Windows may deliver the socket's close ahead of it.
    QTRY_COMPARE(tooLongSpy.size(), 1);
    QTRY_COMPARE(peer.activeConnections(), 1);
    QCOMPARE(peer.lines().size(), 1);

    other->write("GET POWER\n");
    QVERIFY(other->flush());
    QCOMPARE(readUntil(*other, "\n"), "INFO POWER OFF\n");
}

void tst_CommandServer::sendAndCloseReachEveryClient_data()
{
    QTest::addColumn<bool>("inputWaits");
    QTest::addColumn<QByteArray>("last");
    QTest::newRow("quiet clients") << false << QByteArray("INFO 0\n");
    // A close with unread input would reset the connection and may take the answer with it.
    QTest::newRow("a client sends on while the server closes") << true << QByteArray("INFO 0\n");
    // More than the kernel buffers hold: most of it is still unsent when the close is asked.
    QTest::newRow("bytes unsent at the close") << false << QByteArray("INFO 0\n").repeated(1 << 20);
}

void tst_CommandServer::sendAndCloseReachEveryClient()
{
    QFETCH(bool, inputWaits);
    QFETCH(QByteArray, last);
    RecordingPeer peer;
    QVERIFY(peer.listen());
    QSignalSpy disconnectedSpy(&peer, &RecordingPeer::clientDisconnected);
    const auto first = connectedClient(peer);
    const auto second = connectedClient(peer);
    QVERIFY(first && second);
    QTRY_COMPARE(peer.activeConnections(), 2);

    // A line cut in two, as a server may send it.
    peer.sendToClients("INFO POWER");
    peer.sendToClients(" ON\n");
    QCOMPARE(readUntil(*first, "\n"), "INFO POWER ON\n");
    QCOMPARE(readUntil(*second, "\n"), "INFO POWER ON\n");

    if (inputWaits) {
        peer.setReading(false);
        first->write("GET POWER\n");
        QVERIFY(first->flush());
    }
    peer.sendToClients(last);
    peer.closeClients();
    if (inputWaits) {
        first->write("GET POWER\n");
        QVERIFY(first->flush());
    }
    QCOMPARE(readToEnd(*first), last);
    // Half closed: the client has seen the end, yet the peer keeps the connection and reads on,
    // what the client still sends included, until the client closes. A plain close would have
    // counted it out before the end reached the client.
    first->write("GET POWER\n");
    QVERIFY(first->flush());
    peer.settle();
    QCOMPARE(peer.activeConnections(), 2);
    QCOMPARE(readToEnd(*second), last);
    first->close();
    second->close();
    QTRY_COMPARE(disconnectedSpy.size(), 2);
    QCOMPARE(peer.activeConnections(), 0);
    QCOMPARE(peer.connectionCount(), 2);
}

void tst_CommandServer::stopRefusesNewConnections()
{
    RecordingPeer peer;
    QVERIFY(peer.listen());
    const auto open = connectedClient(peer);
    QVERIFY(open);
    QTRY_COMPARE(peer.activeConnections(), 1);

    peer.stop();
    QTcpSocket late;
    late.connectToHost(QHostAddress(QHostAddress::LocalHost), peer.port());
    QVERIFY(!late.waitForConnected(5000));
    QCOMPARE(late.error(), QAbstractSocket::ConnectionRefusedError);

    // Connections made before the stop go on.
    open->write("GET POWER\n");
    QVERIFY(open->flush());
    QTRY_COMPARE(peer.lines().size(), 1);
    QCOMPARE(peer.connectionCount(), 1);
}

void tst_CommandServer::notReadingBacksUpTheClient()
{
    RecordingPeer peer;
    QVERIFY(peer.listen());
    peer.setReading(false);
    const auto client = connectedClient(peer);
    QVERIFY(client);
    QTRY_COMPARE(peer.activeConnections(), 1);

    // More than the kernel buffers of a peer that never reads will take: megabyte by megabyte,
    // until the client holds a backlog that stops shrinking. A peer that read would have taken
    // all of it by then. How much the buffers take differs: Linux's some megabytes, Wine's more.
    QByteArray megabyte;
    for (int i = 0; i < 1024; ++i) {
        megabyte += QByteArray(1023, 'x') + '\n';
    }
    constexpr int MostMegabytes = 64;
    QByteArray flood;
    const QDeadlineTimer deadline(30000);
    for (qint64 backlog = -1; !deadline.hasExpired();) {
        if (client->bytesToWrite() == 0 && flood.size() < MostMegabytes * megabyte.size()) {
            client->write(megabyte);
            flood += megabyte;
            continue;
        }
        if (backlog == client->bytesToWrite() && backlog > 0) {
            break;
        }
        backlog = client->bytesToWrite();
        QTest::qWait(200);
    }
    if (client->bytesToWrite() == 0) {
        QSKIP("This system's buffers took all of the flood without a reader");
    }
    QVERIFY(peer.receivedBytes().isEmpty());
    QVERIFY(client->bytesToWrite() > 0);

    peer.setReading(true);
    QTRY_VERIFY_WITH_TIMEOUT(peer.receivedBytes().size() == flood.size(), 20000);
    QCOMPARE(peer.receivedBytes(), flood);
    QCOMPARE(peer.lines().size(), flood.size() / 1024);
    QCOMPARE(client->bytesToWrite(), 0);
}

QTEST_GUILESS_MAIN(tst_CommandServer)
#include "tst_command_server.moc"
