// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "client_connection.h"
#include "liveness_watch.h"

class QSocketNotifier;

// One accepted client socket on the server's thread, read and written through the descriptor,
// each read stamped with its arrival (see ConnectionSocket).
//
// Not final: a test peer derives its sockets from this to fail in ways the shipped server never
// does (stop reading, end its stream first), reading and writing exactly as the server does. The
// protected members are that seam; the server itself calls none of them, and the hooks' defaults
// are what it does anyway.
class ServerConnection : public ClientConnection
{
    Q_OBJECT

public:
    // Takes ownership of the descriptor.
    ServerConnection(qintptr descriptor, QObject* parent);
    ~ServerConnection() override;
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    [[nodiscard]] QString peer() const override { return m_peer; }
    [[nodiscard]] qint64 unsentBytes() const override { return m_unsent.size(); }
    [[nodiscard]] bool isOpen() const { return m_descriptor != NoDescriptor; }

    void write(const QByteArray& bytes) override;
    void abort() override;

protected:
    // Off: the socket is not read, so the client's writes back up into the kernel buffers, and
    // its close goes unnoticed until reading is on again.
    void setReadingEnabled(bool enabled);
    // Ends the stream to the client; reading goes on, so the client's close is still noticed.
    void shutdownSending();
    // Everything write() took has gone to the system.
    virtual void allSent() {}
    // One read's bytes, stamped in order; by default handed on as received().
    virtual void deliver(const QByteArray& bytes, qint64 arrivalNs);

private:
    static constexpr qintptr NoDescriptor = -1;

    void readAvailable();
    void sendUnsent();
    // After a failed socket call: the connection ends, as the client left it.
    void fail(int error);
    // Lines of one connection arrive in order; their stamps must say so too.
    [[nodiscard]] qint64 inOrder(qint64 arrivalNs);

    qintptr m_descriptor;
    QString m_peer;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_unsent;
    qint64 m_lastArrivalNs = 0;
    // A client that vanished must not hold its connection open for ever.
    LivenessWatch m_liveness;
};
