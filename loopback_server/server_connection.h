// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "client_connection.h"

class QSocketNotifier;

// One accepted client socket on the server's thread, read and written through the descriptor,
// each read stamped with its arrival (see ConnectionSocket).
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

private:
    static constexpr qintptr NoDescriptor = -1;

    void readAvailable();
    void sendUnsent();
    // Lines of one connection arrive in order; their stamps must say so too.
    [[nodiscard]] qint64 inOrder(qint64 arrivalNs);

    qintptr m_descriptor;
    QString m_peer;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_unsent;
    qint64 m_lastArrivalNs = 0;
};
