// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "connection_socket.h"

#include "monotonic_clock.h"
#include "native_socket.h"

#include <QHostAddress>

#include <algorithm>
#include <climits>

#ifndef _WIN32
#include "kernel_arrival_stamps.h"

#include <ctime>
#include <fcntl.h>
#endif

namespace ConnectionSocket {

namespace {

NativeSocket native(qintptr descriptor)
{
    return static_cast<NativeSocket>(descriptor);
}

#ifndef _WIN32
qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

qint64 wallClockNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}
#endif

} // namespace

#ifdef _WIN32

void stampArrivals(qintptr) {}

void makeNonBlocking(qintptr descriptor)
{
    u_long on = 1;
    ::ioctlsocket(native(descriptor), FIONBIO, &on);
}

Transfer send(qintptr descriptor, const QByteArray& bytes)
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

void stampArrivals(qintptr descriptor)
{
    requestArrivalStamps(native(descriptor));
}

void makeNonBlocking(qintptr descriptor)
{
    ::fcntl(native(descriptor), F_SETFL, ::fcntl(native(descriptor), F_GETFL) | O_NONBLOCK);
}

Transfer send(qintptr descriptor, const QByteArray& bytes)
{
    // MSG_NOSIGNAL: a client gone meanwhile ends the connection, not the process.
    const ssize_t count =
        ::send(native(descriptor), bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    return {count, count < 0 ? lastSocketError() : 0};
}

Transfer receive(qintptr descriptor, char* buffer, int size, qint64& arrivalNs)
{
    const StampedRead read = receiveStamped(native(descriptor), buffer, size_t(size));
    // The kernel stamps in wall-clock time; only the age carries over to the monotonic clock.
    arrivalNs = read.queued
                    ? wallStampOnMonotonic(nanoseconds(*read.queued), monotonicNs, wallClockNs)
                    : monotonicNs();
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

} // namespace ConnectionSocket
