// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "peer_connection.h"

#include <QTimer>

namespace {
// How long a closing connection reads on for the client's own close before it closes anyway: a
// deadline, not a pace. Clients close at once, and a check of the half-closed state must not
// race it on a slow or emulated machine.
constexpr int DrainMs = 30000;
} // namespace

void PeerConnection::write(const QByteArray& bytes)
{
    if (m_closing) {
        return;
    }
    ServerConnection::write(bytes);
}

void PeerConnection::setReading(bool reading)
{
    m_reading = reading;
    applyReading();
}

void PeerConnection::closeWhenSent()
{
    m_closing = true;
    // With bytes still unsent, allSent() comes once they have gone.
    if (isOpen() && unsentBytes() == 0) {
        endSending();
    }
}

void PeerConnection::allSent()
{
    if (m_closing) {
        endSending();
    }
}

void PeerConnection::deliver(const QByteArray& bytes, qint64 arrivalNs)
{
    if (!m_closing) {
        ServerConnection::deliver(bytes, arrivalNs);
    }
}

void PeerConnection::applyReading()
{
    // A closing connection reads on: the client's close is what it waits for.
    setReadingEnabled(m_reading || m_sendingEnded);
}

void PeerConnection::endSending()
{
    if (m_sendingEnded) {
        return;
    }
    m_sendingEnded = true;
    // A close with unread input resets the connection, and the reset may take the client's
    // last answer with it. End this side of the stream instead and read on until the client
    // closes too, or for a short while where it does not.
    shutdownSending();
    applyReading();
    QTimer::singleShot(DrainMs, this, &PeerConnection::abort);
}
