// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// The calls below Qt that a client connection makes on its socket, given by its descriptor:
// the same for ServerConnection and for any other connection that reads with arrival stamps.
//
// On Linux a read comes with the time the kernel queued its last byte (SO_TIMESTAMPNS),
// converted to the monotonic clock. That is when the bytes arrived, however late the reading
// thread got to run: on a loaded machine it may wake milliseconds after the first line of a
// pulse and at once after the second, and stamps taken at read time would make the pulse look
// short. Windows keeps no receive time for TCP, so there a read is stamped when it is made.
namespace ConnectionSocket {

// A socket call's result, with the error taken right after the call when it failed.
struct Transfer
{
    qint64 count = 0;
    int error = 0;
};

// Asks the system to stamp what arrives on the socket, and on the connections a listening
// socket accepts, from the first byte on. Does nothing where there are no stamps.
void stampArrivals(qintptr descriptor);
void makeNonBlocking(qintptr descriptor);
[[nodiscard]] Transfer send(qintptr descriptor, const QByteArray& bytes);
// arrivalNs: when the last byte read arrived, on monotonicNs()'s clock.
[[nodiscard]] Transfer receive(qintptr descriptor, char* buffer, int size, qint64& arrivalNs);
// "address:port" of the other end, "?" where the system cannot tell.
[[nodiscard]] QString peerOf(qintptr descriptor);

} // namespace ConnectionSocket
