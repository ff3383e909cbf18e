// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// Whether this system hands the kernel's receive time (SCM_TIMESTAMPNS) to the reader, as the
// command server asks for. Windows keeps none for TCP and qemu-user drops it: there the server
// stamps a chunk when its thread reads it, which may be milliseconds late.
inline bool kernelStampsArrivals()
{
#ifdef _WIN32
    return false;
#else
    const int receiver = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const int on = 1;
    bool stamped = false;
    char byte = 'x';
    if (::setsockopt(receiver, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) == 0 &&
        ::bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
        ::sendto(sender, &byte, 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) == 1) {
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
        iovec chunk{&byte, 1};
        msghdr message{};
        message.msg_iov = &chunk;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (::recvmsg(receiver, &message, 0) == 1) {
            const cmsghdr* header = CMSG_FIRSTHDR(&message);
            stamped = header != nullptr && header->cmsg_level == SOL_SOCKET &&
                      header->cmsg_type == SCM_TIMESTAMPNS;
        }
    }
    ::close(sender);
    ::close(receiver);
    return stamped;
#endif
}
