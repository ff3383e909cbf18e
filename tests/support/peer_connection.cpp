// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "peer_connection.h"

#include "connection_socket.h"
#include "native_socket.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

namespace {
// How long a closing connection reads on for the client's own close before it closes anyway.
constexpr int DrainMs = 2000;
} // namespace

PeerConnection::PeerConnection(qintptr descriptor, QObject* parent)
    : ClientConnection(parent), m_descriptor(descriptor),
      m_peer(ConnectionSocket::peerOf(descriptor))
{
    // Before the notifiers: Winsock refuses the switch once a notifier watches the socket.
    ConnectionSocket::makeNonBlocking(m_descriptor);
    ConnectionSocket::stampArrivals(m_descriptor);
    m_readNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PeerConnection::readAvailable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PeerConnection::sendUnsent);
}

PeerConnection::~PeerConnection()
{
    if (isOpen()) {
        m_readNotifier->setEnabled(false);
        m_writeNotifier->setEnabled(false);
        closeNativeSocket(static_cast<NativeSocket>(m_descriptor));
    }
}

void PeerConnection::write(const QByteArray& bytes)
{
    if (!isOpen() || m_closing) {
        return;
    }
    m_unsent += bytes;
    sendUnsent();
}

void PeerConnection::abort()
{
    if (!isOpen()) {
        return;
    }
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    closeNativeSocket(static_cast<NativeSocket>(m_descriptor));
    m_descriptor = NoDescriptor;
    m_unsent.clear();
    Q_EMIT closed();
}

void PeerConnection::setReading(bool reading)
{
    m_reading = reading;
    applyReading();
}

void PeerConnection::closeWhenSent()
{
    m_closing = true;
    sendUnsent();
}

void PeerConnection::applyReading()
{
    // A closing connection reads on: the client's close is what it waits for.
    if (isOpen()) {
        m_readNotifier->setEnabled(m_reading || m_sendingEnded);
    }
}

void PeerConnection::readAvailable()
{
    char buffer[65536];
    qint64 arrivalNs = 0;
    const auto read = ConnectionSocket::receive(m_descriptor, buffer, sizeof buffer, arrivalNs);
    if (read.count < 0 && socketCallMayRetry(read.error)) {
        return;
    }
    if (read.count <= 0) {
        abort(); // the client closed, or the connection failed
        return;
    }
    if (m_closing) {
        return;
    }
    // Lines of one connection arrive in order; their stamps must say so too.
    m_lastArrivalNs = std::max(arrivalNs, m_lastArrivalNs);
    Q_EMIT received(QByteArray(buffer, read.count), m_lastArrivalNs);
}

void PeerConnection::sendUnsent()
{
    while (isOpen() && !m_unsent.isEmpty()) {
        const auto sent = ConnectionSocket::send(m_descriptor, m_unsent);
        if (sent.count < 0 && socketCallMayRetry(sent.error)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        if (sent.count < 0) {
            abort();
            return;
        }
        m_unsent.remove(0, sent.count);
    }
    if (!isOpen()) {
        return;
    }
    m_writeNotifier->setEnabled(false);
    if (m_closing) {
        endSending();
    }
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
    ::shutdown(static_cast<NativeSocket>(m_descriptor), ShutdownSending);
    applyReading();
    QTimer::singleShot(DrainMs, this, &PeerConnection::abort);
}
