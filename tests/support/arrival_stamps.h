// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#ifndef _WIN32
#include "kernel_arrival_stamps.h"
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
    bool stamped = false;
    char byte = 'x';
    if (requestArrivalStamps(receiver) &&
        ::bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
        ::sendto(sender, &byte, 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) == 1) {
        const StampedRead read = receiveStamped(receiver, &byte, 1);
        stamped = read.count == 1 && read.queued.has_value();
    }
    ::close(sender);
    ::close(receiver);
    return stamped;
#endif
}
