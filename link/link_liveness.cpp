// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_liveness.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mstcpip.h>
#else
#include <cstddef>
#include <linux/sockios.h>
// The kernel's own, not the C library's: that one's tcp_info ends before the peer's window.
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#endif

namespace LinkLiveness {

namespace {

#ifdef _WIN32
using Native = SOCKET;
using OptionValue = DWORD;
using OptionLength = int;

// Windows 10 1709's names; older MinGW headers lack them.
constexpr int KeepIdle = 3;
constexpr int KeepCount = 16;
constexpr int KeepInterval = 17;
constexpr int WinTcpMaxRetransmitSeconds = 5;
#else
using Native = int;
using OptionValue = int;
using OptionLength = socklen_t;
constexpr int KeepIdle = TCP_KEEPIDLE;
constexpr int KeepCount = TCP_KEEPCNT;
constexpr int KeepInterval = TCP_KEEPINTVL;
#endif

Native native(qintptr descriptor)
{
    return static_cast<Native>(descriptor);
}

bool setOption(qintptr descriptor, int level, int name, OptionValue value)
{
    return ::setsockopt(native(descriptor), level, name, reinterpret_cast<const char*>(&value),
                        OptionLength{sizeof value}) == 0;
}

bool setProbeTiming(qintptr descriptor)
{
    return setOption(descriptor, IPPROTO_TCP, KeepIdle, IdleBeforeProbeSeconds) &&
           setOption(descriptor, IPPROTO_TCP, KeepInterval, ProbeIntervalSeconds) &&
           setOption(descriptor, IPPROTO_TCP, KeepCount, ProbeCount);
}

} // namespace

bool enableKeepAlive(qintptr descriptor)
{
    return setOption(descriptor, SOL_SOCKET, SO_KEEPALIVE, 1);
}

#ifdef _WIN32

Settings applyDeadPeerBounds(qintptr descriptor)
{
    Settings settings;
    settings.probeTiming = setProbeTiming(descriptor);
    if (!settings.probeTiming) {
        // Before Windows 10 1709 the count is fixed at 10: probes every second keep the idle
        // bound at 15 s.
        tcp_keepalive values{1, IdleBeforeProbeSeconds * 1000UL, 1000UL};
        DWORD returned = 0;
        settings.probeTiming =
            ::WSAIoctl(native(descriptor), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0,
                       &returned, nullptr, nullptr) == 0;
    }
    // Windows keeps probing a closed receive window for as long as the peer answers; this
    // bound counts retransmissions only.
    settings.unacknowledgedLimit = setUnacknowledgedLimit(descriptor, true);
    return settings;
}

std::optional<SendQueue> sendQueue(qintptr)
{
    return std::nullopt;
}

bool setUnacknowledgedLimit(qintptr descriptor, bool on)
{
    // Never lifted: sendQueue() cannot tell a closed window here, and Windows needs no lift.
    return on && setOption(descriptor, IPPROTO_TCP, WinTcpMaxRetransmitSeconds,
                           UnacknowledgedLimitMs / 1000);
}

#else

Settings applyDeadPeerBounds(qintptr descriptor)
{
    Settings settings;
    settings.probeTiming = setProbeTiming(descriptor);
    settings.unacknowledgedLimit =
        sendQueue(descriptor).has_value() && setUnacknowledgedLimit(descriptor, true);
    return settings;
}

std::optional<SendQueue> sendQueue(qintptr descriptor)
{
    int unacknowledged = 0;
    int unsent = 0;
    tcp_info info{};
    socklen_t infoLength = sizeof info;
    if (::ioctl(native(descriptor), SIOCOUTQ, &unacknowledged) != 0 ||
        ::ioctl(native(descriptor), SIOCOUTQNSD, &unsent) != 0 ||
        ::getsockopt(native(descriptor), IPPROTO_TCP, TCP_INFO, &info, &infoLength) != 0 ||
        // The peer's window came with Linux 5.4; an emulator may pass less of the structure.
        infoLength < offsetof(tcp_info, tcpi_snd_wnd) + sizeof info.tcpi_snd_wnd) {
        return std::nullopt;
    }
    return SendQueue{unacknowledged, unsent, info.tcpi_snd_wnd, info.tcpi_snd_mss};
}

bool setUnacknowledgedLimit(qintptr descriptor, bool on)
{
    // 0 goes back to the system's own retransmission count.
    return setOption(descriptor, IPPROTO_TCP, TCP_USER_TIMEOUT, on ? UnacknowledgedLimitMs : 0);
}

#endif

} // namespace LinkLiveness
