// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "server_connection.h"

#include "native_socket.h"
#include "traffic_recording.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <climits>

#ifndef _WIN32
#include <cstring>
#include <ctime>
#include <fcntl.h>
#endif

namespace {

// How long a closing connection reads on for the client's own close before it closes anyway.
constexpr int DrainMs = 2000;

NativeSocket native(qintptr descriptor)
{
    return static_cast<NativeSocket>(descriptor);
}

// A socket call's result, with the error taken right after the call when it failed.
struct Transfer
{
    qint64 count = 0;
    int error = 0;
};

#ifdef _WIN32

void makeNonBlocking(qintptr descriptor)
{
    u_long on = 1;
    ::ioctlsocket(native(descriptor), FIONBIO, &on);
}

Transfer sendSome(qintptr descriptor, const QByteArray& bytes)
{
    const auto size = static_cast<int>(std::min<qsizetype>(bytes.size(), INT_MAX));
    const int count = ::send(native(descriptor), bytes.constData(), size, 0);
    return {count, count < 0 ? lastSocketError() : 0};
}

Transfer receive(qintptr descriptor, char* buffer, int size, qint64& arrivalNs)
{
    const int count = ::recv(native(descriptor), buffer, size, 0);
    const int error = count < 0 ? lastSocketError() : 0;
    arrivalNs = TrafficRecording::monotonicNs();
    return {count, error};
}

#else

void makeNonBlocking(qintptr descriptor)
{
    ::fcntl(native(descriptor), F_SETFL, ::fcntl(native(descriptor), F_GETFL) | O_NONBLOCK);
}

Transfer sendSome(qintptr descriptor, const QByteArray& bytes)
{
    // MSG_NOSIGNAL: a client gone meanwhile ends the connection, not the process.
    const ssize_t count =
        ::send(native(descriptor), bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    return {count, count < 0 ? lastSocketError() : 0};
}

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

Transfer receive(qintptr descriptor, char* buffer, int size, qint64& arrivalNs)
{
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    iovec chunk{buffer, size_t(size)};
    msghdr message{};
    message.msg_iov = &chunk;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t count = ::recvmsg(native(descriptor), &message, 0);
    const int error = count < 0 ? lastSocketError() : 0;
    const qint64 monotonicNow = TrafficRecording::monotonicNs();
    arrivalNs = monotonicNow;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); count > 0 && header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_TIMESTAMPNS) {
            timespec queued{};
            std::memcpy(&queued, CMSG_DATA(header), sizeof queued);
            timespec realNow{};
            ::clock_gettime(CLOCK_REALTIME, &realNow);
            // The kernel stamps in wall-clock time; only the age carries over to the monotonic
            // clock, and a wall clock set back meanwhile must not date the bytes in the future.
            arrivalNs =
                monotonicNow - std::max<qint64>(0, nanoseconds(realNow) - nanoseconds(queued));
        }
    }
    return {count, error};
}

#endif

QString peerOf(qintptr descriptor)
{
    sockaddr_storage address{};
    SocketAddressLength length = sizeof address;
    if (::getpeername(native(descriptor), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return QStringLiteral("?");
    }
    const auto* socketAddress = reinterpret_cast<const sockaddr*>(&address);
    const quint16 port = ntohs(address.ss_family == AF_INET6
                                   ? reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port
                                   : reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    return QHostAddress(socketAddress).toString() + QLatin1Char(':') + QString::number(port);
}

} // namespace

void ServerConnection::stampArrivals([[maybe_unused]] qintptr listeningDescriptor)
{
#ifndef _WIN32
    const int on = 1;
    ::setsockopt(native(listeningDescriptor), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
#endif
}

ServerConnection::ServerConnection(qintptr descriptor, QObject* parent)
    : QObject(parent), m_descriptor(descriptor), m_peer(peerOf(descriptor))
{
    // Before the notifiers: Winsock refuses the switch once a notifier watches the socket.
    makeNonBlocking(m_descriptor);
    // Normally inherited from the listening socket; set again in case that failed.
    stampArrivals(m_descriptor);
    m_readNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &ServerConnection::readAvailable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &ServerConnection::sendUnsent);
}

ServerConnection::~ServerConnection()
{
    if (isOpen()) {
        m_readNotifier->setEnabled(false);
        m_writeNotifier->setEnabled(false);
        closeNativeSocket(native(m_descriptor));
    }
}

void ServerConnection::setReading(bool reading)
{
    if (isOpen()) {
        // A closing connection reads on: the client's close is what it waits for.
        m_readNotifier->setEnabled(reading || m_sendingEnded);
    }
}

void ServerConnection::write(const QByteArray& bytes)
{
    if (!isOpen() || m_closeWhenSent) {
        return;
    }
    m_unsent += bytes;
    sendUnsent();
}

void ServerConnection::closeWhenSent()
{
    m_closeWhenSent = true;
    sendUnsent();
}

void ServerConnection::abort()
{
    if (!isOpen()) {
        return;
    }
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    closeNativeSocket(native(m_descriptor));
    m_descriptor = NoDescriptor;
    m_unsent.clear();
    Q_EMIT closed();
}

void ServerConnection::readAvailable()
{
    char buffer[65536];
    qint64 arrivalNs = 0;
    const Transfer read = receive(m_descriptor, buffer, sizeof buffer, arrivalNs);
    if (read.count < 0 && socketCallMayRetry(read.error)) {
        return;
    }
    if (read.count <= 0) {
        abort(); // the client closed, or the connection failed
        return;
    }
    Q_EMIT received(QByteArray(buffer, read.count), inOrder(arrivalNs));
}

void ServerConnection::sendUnsent()
{
    while (isOpen() && !m_unsent.isEmpty()) {
        const Transfer sent = sendSome(m_descriptor, m_unsent);
        if (sent.count < 0 && socketCallMayRetry(sent.error)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        if (sent.count < 0) {
            abort();
            return;
        }
        m_unsent.remove(0, sent.count);
    }
    if (!isOpen()) {
        return;
    }
    m_writeNotifier->setEnabled(false);
    if (m_closeWhenSent) {
        endSending();
    }
}

void ServerConnection::endSending()
{
    if (m_sendingEnded) {
        return;
    }
    m_sendingEnded = true;
    // A close with unread input resets the connection, and the reset may take the client's last
    // answer with it. End this side of the stream instead and read on until the client closes
    // too, or for a short while where it does not.
    ::shutdown(native(m_descriptor), ShutdownSending);
    m_readNotifier->setEnabled(true);
    QTimer::singleShot(DrainMs, this, &ServerConnection::abort);
}

qint64 ServerConnection::inOrder(qint64 arrivalNs)
{
    arrivalNs = std::max(arrivalNs, m_lastArrivalNs);
    m_lastArrivalNs = arrivalNs;
    return arrivalNs;
}
