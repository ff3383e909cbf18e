// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "server_connection.h"

// A client socket of the recording peer's own, which the command server's engine serves like
// its shipped ones: it reads and writes as ServerConnection does, being one. Beyond that it can
// stop reading, and end its stream before it closes, as a test's failures ask. Lives on the
// peer's thread.
class PeerConnection : public ServerConnection
{
    Q_OBJECT

public:
    using ServerConnection::ServerConnection;

    void write(const QByteArray& bytes) override;

    // Off: nothing is read, so the client's writes back up into the kernel buffers. A close
    // by the client is noticed only once reading is on again.
    void setReading(bool reading);
    // Once everything written so far has gone out, ends the stream to the client and closes
    // when the client has closed as well, or after a short drain of what it still sends. What
    // is written or read meanwhile goes nowhere.
    void closeWhenSent();

protected:
    void allSent() override;
    void deliver(const QByteArray& bytes, qint64 arrivalNs) override;

private:
    void endSending();
    void applyReading();

    bool m_reading = true;
    bool m_closing = false;
    bool m_sendingEnded = false;
};
