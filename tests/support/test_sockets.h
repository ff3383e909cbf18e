// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What tests and benchmarks do below Qt beyond what the server itself needs: a listening
// socket of their own and Winsock started before Qt has done it.

#include "native_socket.h"

#ifdef _WIN32

inline constexpr NativeSocket NoNativeSocket = INVALID_SOCKET;

// Winsock wants a start before its first call. Qt starts it for its own sockets; code that may
// come first holds one of these.
class SocketLibraryUse
{
public:
    SocketLibraryUse()
    {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~SocketLibraryUse() { ::WSACleanup(); }
    SocketLibraryUse(const SocketLibraryUse&) = delete;
    SocketLibraryUse& operator=(const SocketLibraryUse&) = delete;
};

#else

inline constexpr NativeSocket NoNativeSocket = -1;

class SocketLibraryUse
{
};

#endif
