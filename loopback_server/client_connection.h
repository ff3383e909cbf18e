// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// One client as the command server sees it: bytes in with their arrival time, bytes out, and
// the end. The shipped server's is ServerConnection; a test peer that has to fail in ways of its
// own (stop reading, end its stream first) derives its sockets from that.
class ClientConnection : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // "address:port" of the client.
    [[nodiscard]] virtual QString peer() const = 0;
    // What write() took and the system has not yet.
    [[nodiscard]] virtual qint64 unsentBytes() const = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Closes now; what the system has not taken yet is dropped.
    virtual void abort() = 0;

Q_SIGNALS:
    // arrivalNs: when the last byte reached this machine, on monotonicNs()'s clock.
    void received(const QByteArray& bytes, qint64 arrivalNs);
    void closed();
    // The client stopped answering without a word (its machine lost power, its link dropped);
    // closed() follows.
    void vanished();
};
