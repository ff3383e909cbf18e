// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "client_connection.h"

class QSocketNotifier;

// A client socket of the recording peer's own, which the command server's engine serves like
// its shipped ones: read with the same arrival stamps (ConnectionSocket), written the same way.
// Beyond them it can stop reading, and end its stream before it closes, as a test's failures
// ask. Lives on the peer's thread.
class PeerConnection : public ClientConnection
{
    Q_OBJECT

public:
    // Takes ownership of the descriptor.
    PeerConnection(qintptr descriptor, QObject* parent);
    ~PeerConnection() override;
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;

    [[nodiscard]] QString peer() const override { return m_peer; }
    [[nodiscard]] qint64 unsentBytes() const override { return m_unsent.size(); }
    void write(const QByteArray& bytes) override;
    void abort() override;

    // Off: nothing is read, so the client's writes back up into the kernel buffers. A close
    // by the client is noticed only once reading is on again.
    void setReading(bool reading);
    // Once everything written so far has gone out, ends the stream to the client and closes
    // when the client has closed as well, or after a short drain of what it still sends. What
    // is written or read meanwhile goes nowhere.
    void closeWhenSent();

private:
    static constexpr qintptr NoDescriptor = -1;

    [[nodiscard]] bool isOpen() const { return m_descriptor != NoDescriptor; }
    void readAvailable();
    void sendUnsent();
    void endSending();
    void applyReading();

    qintptr m_descriptor;
    QString m_peer;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_unsent;
    qint64 m_lastArrivalNs = 0;
    bool m_reading = true;
    bool m_closing = false;
    bool m_sendingEnded = false;
};
