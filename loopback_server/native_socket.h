// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The socket handle and the few calls whose names, types or error reports differ between
// Winsock and POSIX, for the code that works on sockets below Qt. (WIN32_LEAN_AND_MEAN and
// NOMINMAX come from the build.)

#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

using NativeSocket = SOCKET;
using SocketAddressLength = int;

inline void closeNativeSocket(NativeSocket socket)
{
    ::closesocket(socket);
}

inline constexpr int ShutdownSending = SD_SEND;

// Read straight after the failed call: any call in between, even a clock read, may overwrite it.
[[nodiscard]] inline int lastSocketError()
{
    return ::WSAGetLastError();
}

// The failed call may succeed once the socket is ready again.
[[nodiscard]] inline bool socketCallMayRetry(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
}

// The system gave the connection up: the peer acknowledged nothing, or answered no keepalive
// probe, for too long.
[[nodiscard]] inline bool peerStoppedAnswering(int error)
{
    return error == WSAETIMEDOUT || error == WSAENETRESET;
}

#else

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using NativeSocket = int;
using SocketAddressLength = socklen_t;

inline void closeNativeSocket(NativeSocket socket)
{
    ::close(socket);
}

inline constexpr int ShutdownSending = SHUT_WR;

[[nodiscard]] inline int lastSocketError()
{
    return errno;
}

[[nodiscard]] inline bool socketCallMayRetry(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

[[nodiscard]] inline bool peerStoppedAnswering(int error)
{
    return error == ETIMEDOUT;
}

#endif
