// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The kernel's receive time of socket data (SO_TIMESTAMPNS), for the code that reads sockets
// below Qt. Windows keeps none for TCP, so there is nothing of this there.

#ifndef _WIN32

#include "native_socket.h"

#include <cstring>
#include <ctime>
#include <optional>

// Asks the system to stamp what arrives on the socket, and on the connections a listening
// socket accepts, from the first byte on. False where the system refuses.
inline bool requestArrivalStamps(NativeSocket socket)
{
    const int on = 1;
    return ::setsockopt(socket, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) == 0;
}

struct StampedRead
{
    ssize_t count = 0;
    int error = 0;                  // taken right after the call when it failed
    std::optional<timespec> queued; // wall-clock time the kernel queued the last byte
};

// recv() that also hands over the kernel's stamp, where the system passes one on.
inline StampedRead receiveStamped(NativeSocket socket, void* buffer, size_t size)
{
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    iovec chunk{buffer, size};
    msghdr message{};
    message.msg_iov = &chunk;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    StampedRead read;
    read.count = ::recvmsg(socket, &message, 0);
    read.error = read.count < 0 ? lastSocketError() : 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); read.count > 0 && header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_TIMESTAMPNS) {
            timespec queued{};
            std::memcpy(&queued, CMSG_DATA(header), sizeof queued);
            read.queued = queued;
        }
    }
    return read;
}

#endif
