// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "server_connection.h"

#include "connection_socket.h"
#include "native_socket.h"

#include <QSocketNotifier>

#include <algorithm>

ServerConnection::ServerConnection(qintptr descriptor, QObject* parent)
    : ClientConnection(parent), m_descriptor(descriptor),
      m_peer(ConnectionSocket::peerOf(descriptor))
{
    // Before the notifiers: Winsock refuses the switch once a notifier watches the socket.
    ConnectionSocket::makeNonBlocking(m_descriptor);
    // Normally inherited from the listening socket; set again in case that failed.
    ConnectionSocket::stampArrivals(m_descriptor);
    m_readNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &ServerConnection::readAvailable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &ServerConnection::sendUnsent);
    LinkLiveness::enableKeepAlive(m_descriptor);
    m_liveness.start(m_descriptor);
}

ServerConnection::~ServerConnection()
{
    if (isOpen()) {
        m_readNotifier->setEnabled(false);
        m_writeNotifier->setEnabled(false);
        closeNativeSocket(static_cast<NativeSocket>(m_descriptor));
    }
}

void ServerConnection::write(const QByteArray& bytes)
{
    if (!isOpen()) {
        return;
    }
    m_unsent += bytes;
    sendUnsent();
}

void ServerConnection::abort()
{
    if (!isOpen()) {
        return;
    }
    m_liveness.stop();
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    closeNativeSocket(static_cast<NativeSocket>(m_descriptor));
    m_descriptor = NoDescriptor;
    m_unsent.clear();
    Q_EMIT closed();
}

void ServerConnection::readAvailable()
{
    char buffer[65536];
    qint64 arrivalNs = 0;
    const auto read = ConnectionSocket::receive(m_descriptor, buffer, sizeof buffer, arrivalNs);
    if (read.count < 0 && socketCallMayRetry(read.error)) {
        return;
    }
    if (read.count == 0) {
        abort(); // the client closed
        return;
    }
    if (read.count < 0) {
        fail(read.error);
        return;
    }
    deliver(QByteArray(buffer, read.count), inOrder(arrivalNs));
}

void ServerConnection::deliver(const QByteArray& bytes, qint64 arrivalNs)
{
    Q_EMIT received(bytes, arrivalNs);
}

void ServerConnection::sendUnsent()
{
    while (isOpen() && !m_unsent.isEmpty()) {
        const auto sent = ConnectionSocket::send(m_descriptor, m_unsent);
        if (sent.count < 0 && socketCallMayRetry(sent.error)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        if (sent.count < 0) {
            fail(sent.error);
            return;
        }
        m_unsent.remove(0, sent.count);
    }
    if (isOpen()) {
        m_writeNotifier->setEnabled(false);
        allSent();
    }
}

void ServerConnection::fail(int error)
{
    if (peerStoppedAnswering(error)) {
        Q_EMIT vanished();
    }
    abort();
}

void ServerConnection::setReadingEnabled(bool enabled)
{
    if (isOpen()) {
        m_readNotifier->setEnabled(enabled);
    }
}

void ServerConnection::shutdownSending()
{
    if (isOpen()) {
        ::shutdown(static_cast<NativeSocket>(m_descriptor), ShutdownSending);
    }
}

qint64 ServerConnection::inOrder(qint64 arrivalNs)
{
    arrivalNs = std::max(arrivalNs, m_lastArrivalNs);
    m_lastArrivalNs = arrivalNs;
    return arrivalNs;
}
