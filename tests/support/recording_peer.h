// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "command_server.h"
#include "monotonic_clock.h"
#include "peer_server.h"
#include "srcp_responder.h"
#include "traffic_recording.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

// A real TCP peer for tests and benchmarks: kolvo-loopback-server's engine on a thread of its
// own, behind sockets of the peer's own (PeerServer), recording what it receives.
//
// Why a thread of its own: the client's turnout pulse holds its event loop for 300 ms. A
// peer on the test's thread would read both pulse lines only after that wait. Here the peer's
// thread reads, records and answers whatever the test's thread is doing, and each chunk is
// stamped with the time the kernel queued it (see ConnectionSocket), so the gap between two
// lines is the gap on the wire even when this thread runs late. (Windows gives no such time:
// there the peer's thread stamps a chunk when it reads it.)
//
// Scripting it from a test:
//
//     RecordingPeer peer;                 // records only: no welcome line, no answers
//     QVERIFY(peer.listen());          // 127.0.0.1, a port the system picks
//     client.connectToHost(QHostAddress::LocalHost, peer.port());
//     ... let the client write ...
//     QTRY_COMPARE(peer.lines().size(), 2);
//     QCOMPARE(peer.lines().at(0).bytes, "SET POWER ON \r\n");  // exact bytes, line end kept
//     QVERIFY(peer.lines().at(1).arrivalNs - peer.lines().at(0).arrivalNs >= 300'000'000);
//
// - Recording: receivedBytes() is everything from all clients in arrival order; chunks() keeps
//   each read as it came (to see how a client split its writes); lines() has the complete
//   lines, each stamped with the arrival of its last byte and tagged with its connection.
//   (Bytes that wait in the kernel together, e.g. while reading is off, share the stamp of
//   the last of them.)
//   Stamps come from monotonicNs() (monotonic_clock.h), the same clock as CLOCK_MONOTONIC and
//   steady_clock, so a test can compare them with its own. A line is recorded before its
//   answer is written and a chunk after its lines, so a client that has its answer, or a test
//   that sees the bytes, finds the lines there too. clear() forgets chunks and lines, not the
//   counts.
// - Answers: setAnswering(Answering::Srcp) makes it answer like the loopback server (an INFO
//   line per command, "INFO -2" for anything it cannot parse); SrcpSilentSet answers nothing
//   to SET, like a strict 0.7 command port. setWelcome(true) greets every new connection.
//   setContact() closes or opens a feedback contact for "GET FB S88".
// - Scripted traffic: sendToClients() writes raw bytes to every open connection (a partial
//   line, a line without end, a burst); closeClients() ends every connection from this side
//   once what was sent has gone out, without a reset where the client still sends.
// - Failures: stop() closes the listening socket, so a later connect is refused while open
//   connections stay; setReading(false) accepts but stops reading, so the client's writes
//   back up into the kernel buffers (a client that closes meanwhile is noticed once reading
//   is back on). A line longer than LineReader::MaxLineLength closes its connection.
//
// Every control call returns once the peer's thread has carried it out, so the next line of a
// test sees its effect. Signals arrive queued on the owner's thread. Calls from the owner's
// thread only (the peer's own thread never needs them).
class RecordingPeer : public QObject
{
    Q_OBJECT

public:
    using Answering = CommandServer::Answering;
    using Chunk = TrafficRecording::Entry;
    using Line = TrafficRecording::Entry;

    explicit RecordingPeer(QObject* parent = nullptr);
    ~RecordingPeer() override;
    RecordingPeer(const RecordingPeer&) = delete;
    RecordingPeer& operator=(const RecordingPeer&) = delete;

    [[nodiscard]] bool listen(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost),
                              quint16 port = 0);
    [[nodiscard]] quint16 port() const { return m_port; }
    [[nodiscard]] QString errorString() const { return m_errorString; }

    [[nodiscard]] QByteArray receivedBytes() const { return m_recording.receivedBytes(); }
    [[nodiscard]] QList<Chunk> chunks() const { return m_recording.chunks(); }
    [[nodiscard]] QList<Line> lines() const { return m_recording.lines(); }
    [[nodiscard]] int connectionCount() const { return m_recording.connectionCount(); }
    [[nodiscard]] int activeConnections() const { return m_recording.activeConnections(); }
    void clear() { m_recording.clear(); }

    void sendToClients(const QByteArray& bytes);
    void closeClients();
    void setAnswering(Answering answering);
    void setWelcome(bool welcome);
    void setReading(bool reading);
    [[nodiscard]] bool setContact(const SrcpResponder::ContactSetting& setting);
    void stop();
    // Returns once the peer's thread has handled what reached it before the call and what that
    // queued in turn, e.g. a closed connection counted out: a check after it races nothing.
    void settle();

    [[nodiscard]] static qint64 monotonicNs() { return ::monotonicNs(); }

Q_SIGNALS:
    void clientConnected(int connectionId, const QString& peer);
    void clientDisconnected(int connectionId);
    void lineReceived(const QByteArray& bytes, qint64 arrivalNs, int connectionId,
                      const QString& peer);
    void lineTooLong(int connectionId);

private:
    template <typename Call> auto inServerThread(Call call);

    TrafficRecording m_recording;
    QThread m_thread;
    PeerServer* m_server; // lives on m_thread, deleted there when it finishes
    quint16 m_port = 0;
    QString m_errorString;
};
