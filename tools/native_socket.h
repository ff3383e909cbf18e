#pragma once

// The socket handle and the few calls whose names, types or error reports differ between
// Winsock and POSIX, for the code that works on sockets below Qt. (WIN32_LEAN_AND_MEAN and
// NOMINMAX come from the build.)

#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

using NativeSocket = SOCKET;
using SocketAddressLength = int;
inline constexpr NativeSocket NoNativeSocket = INVALID_SOCKET;
inline constexpr int ShutdownSending = SD_SEND;

inline void closeNativeSocket(NativeSocket socket)
{
    ::closesocket(socket);
}

// The failed call may succeed once the socket is ready again.
inline bool socketCallMayRetry()
{
    const int error = ::WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
}

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

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using NativeSocket = int;
using SocketAddressLength = socklen_t;
inline constexpr NativeSocket NoNativeSocket = -1;
inline constexpr int ShutdownSending = SHUT_WR;

inline void closeNativeSocket(NativeSocket socket)
{
    ::close(socket);
}

inline bool socketCallMayRetry()
{
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

class SocketLibraryUse
{
};

#endif
