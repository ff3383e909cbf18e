// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The loopback peer's own cost: how late it stamps a line after the client wrote it, and the
// round trip of a command and its INFO answer through RecordingPeer, against a bare blocking echo
// thread on a plain socket as the baseline measured in the same run. Samples alternate, so
// both see the same load. Figures in microseconds: median, p95, max, min, and the peer's over
// the baseline's.
// Run by hand: build/bench/bench_command_server [samples]

#include "bench_stats.h"
#include "recording_peer.h"
#include "test_sockets.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

void printRow(const char* name, const Summary& s)
{
    std::printf("%-34s median %8.1f  p95 %8.1f  max %8.1f  min %8.1f  us\n", name, s.median, s.p95,
                s.max, s.min);
}

// Echoes whatever arrives on one connection until it closes.
class EchoThread
{
public:
    EchoThread() : m_listener(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        SocketAddressLength length = sizeof address;
        if (m_listener == NoNativeSocket ||
            ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_listener, 1) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        m_port = ntohs(address.sin_port);
    }
    ~EchoThread()
    {
        if (m_thread.joinable()) {
            m_thread.join(); // returns once the client has closed
        }
        if (m_listener != NoNativeSocket) {
            closeNativeSocket(m_listener);
        }
    }
    EchoThread(const EchoThread&) = delete;
    EchoThread& operator=(const EchoThread&) = delete;

    [[nodiscard]] quint16 port() const { return m_port; }

    // Takes the client, which has connected already, so no accept can be left waiting, and
    // echoes on a thread of its own.
    [[nodiscard]] bool serve()
    {
        const NativeSocket client = ::accept(m_listener, nullptr, nullptr);
        if (client == NoNativeSocket) {
            return false;
        }
        m_thread = std::thread([client] {
            char buffer[4096];
            int count = 0;
            while ((count = static_cast<int>(::recv(client, buffer, sizeof buffer, 0))) > 0) {
                if (::send(client, buffer, count, 0) != count) {
                    break;
                }
            }
            closeNativeSocket(client);
        });
        return true;
    }

private:
    SocketLibraryUse m_library;
    NativeSocket m_listener;
    quint16 m_port = 0;
    std::thread m_thread;
};

// One command out, one line back; microseconds, or a negative value when nothing came.
double roundTrip(QTcpSocket& socket, const QByteArray& line)
{
    const qint64 start = RecordingPeer::monotonicNs();
    socket.write(line);
    socket.flush();
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(5000)) {
            return -1.0;
        }
    }
    socket.readLine();
    return static_cast<double>(RecordingPeer::monotonicNs() - start) / 1000.0;
}

int fail(const char* what)
{
    std::fprintf(stderr, "bench_command_server: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const QByteArray line = "SET GA M 7 0 1 -1\r\n";

    RecordingPeer peer;
    if (!peer.listen()) {
        return fail("the peer does not listen");
    }
    peer.setAnswering(RecordingPeer::Answering::Srcp);
    EchoThread echo;
    QTcpSocket toPeer;
    QTcpSocket toEcho;
    toPeer.connectToHost(QHostAddress::LocalHost, peer.port());
    toEcho.connectToHost(QHostAddress::LocalHost, echo.port());
    if (echo.port() == 0 || !toPeer.waitForConnected(5000) || !toEcho.waitForConnected(5000) ||
        !echo.serve()) {
        return fail("cannot connect");
    }
    toPeer.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    toEcho.setSocketOption(QAbstractSocket::LowDelayOption, 1);

    std::vector<double> stampLag;
    std::vector<double> peerTrips;
    std::vector<double> echoTrips;
    for (int sample = 0; sample < samples; ++sample) {
        const qint64 sent = RecordingPeer::monotonicNs();
        const double peerTrip = roundTrip(toPeer, line);
        const double echoTrip = roundTrip(toEcho, line);
        const QList<RecordingPeer::Line> lines = peer.lines();
        if (peerTrip < 0.0 || echoTrip < 0.0 || lines.size() != 1) {
            return fail("an answer did not come");
        }
        peer.clear();
        stampLag.push_back(static_cast<double>(lines.at(0).arrivalNs - sent) / 1000.0);
        peerTrips.push_back(peerTrip);
        echoTrips.push_back(echoTrip);
    }
    toEcho.disconnectFromHost();

    const Summary peerSummary = summarize(peerTrips);
    const Summary echoSummary = summarize(echoTrips);
    std::printf("%d samples\n", samples);
    printRow("stamp lag (write to arrivalNs)", summarize(stampLag));
    printRow("round trip, RecordingPeer + INFO", peerSummary);
    printRow("round trip, bare echo (baseline)", echoSummary);
    const auto ratio = [](double a, double b) { return b > 0.0 ? a / b : 0.0; };
    std::printf("%-34s median %8.2f  p95 %8.2f  max %8.2f\n", "ratio RecordingPeer / baseline",
                ratio(peerSummary.median, echoSummary.median),
                ratio(peerSummary.p95, echoSummary.p95), ratio(peerSummary.max, echoSummary.max));
    return 0;
}
