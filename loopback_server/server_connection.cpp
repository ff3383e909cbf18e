// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "server_connection.h"

#include "monotonic_clock.h"
#include "native_socket.h"

#include <QHostAddress>
#include <QSocketNotifier>

#include <algorithm>
#include <climits>

#ifndef _WIN32
#include "kernel_arrival_stamps.h"

#include <ctime>
#include <fcntl.h>
#endif

namespace {

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
    arrivalNs = monotonicNs();
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
    const StampedRead read = receiveStamped(native(descriptor), buffer, size_t(size));
    const qint64 monotonicNow = monotonicNs();
    arrivalNs = monotonicNow;
    if (read.queued) {
        timespec realNow{};
        ::clock_gettime(CLOCK_REALTIME, &realNow);
        // The kernel stamps in wall-clock time; only the age carries over to the monotonic
        // clock, and a wall clock set back meanwhile must not date the bytes in the future.
        arrivalNs =
            monotonicNow - std::max<qint64>(0, nanoseconds(realNow) - nanoseconds(*read.queued));
    }
    return {read.count, read.error};
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
    requestArrivalStamps(native(listeningDescriptor));
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

void ServerConnection::write(const QByteArray& bytes)
{
    if (!isOpen()) {
        return;
    }
    m_unsent += bytes;
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
    if (isOpen()) {
        m_writeNotifier->setEnabled(false);
    }
}

qint64 ServerConnection::inOrder(qint64 arrivalNs)
{
    arrivalNs = std::max(arrivalNs, m_lastArrivalNs);
    m_lastArrivalNs = arrivalNs;
    return arrivalNs;
}
