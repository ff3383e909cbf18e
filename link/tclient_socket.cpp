// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tclient_socket.h"

#include "connection_messages.h"

#include <QTcpSocket>

#include <utility>

TClientSocket::TClientSocket(QObject* parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    // Bounds what one read takes from a flooding server: the rest waits in the kernel, so
    // memory stays flat and each read event is short.
    m_socket->setReadBufferSize(qint64{64} * 1024);
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, &TClientSocket::handleConnectTimeout);
    // OnRead comes on the next turn of the event loop, not within the socket's notification.
    // Meanwhile the portion waits in Qt's full buffer, so Qt stops reading the socket, and the
    // loop finds nothing from it in the way of timers, paint and input. Windows' loop serves
    // socket messages before those; a flood read without such a pause would hold them back
    // until it ends.
    m_readTimer.setSingleShot(true);
    m_readTimer.setInterval(0);
    connect(&m_readTimer, &QTimer::timeout, this, &TClientSocket::deliverRead);
    connect(m_socket, &QTcpSocket::connected, this, &TClientSocket::handleConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        if (!m_readTimer.isActive()) {
            m_readTimer.start();
        }
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TClientSocket::handleError);
    connect(&m_liveness, &LivenessWatch::sampled, this, &TClientSocket::noteSendQueue);
    // The watch reads the descriptor: it ends with the connection, however that ends.
    connect(m_socket, &QTcpSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        if (state != QAbstractSocket::ConnectedState) {
            m_liveness.stop();
        }
    });
}

TClientSocket::~TClientSocket()
{
    // Leave quietly: closing the window must not raise a failure for a dying connection.
    m_socket->disconnect(this);
    m_socket->abort();
}

void TClientSocket::Open()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        return;
    }
    m_openedHost = m_host;
    m_openedPort = m_port;
    if (m_port < 1 || m_port > 65535) {
        // A wrapped-around quint16 would silently reach a different port.
        Q_EMIT OnFailure(invalidPortMessage(m_port));
        return;
    }
    m_connectTimer.start(m_connectTimeoutMs);
    m_socket->connectToHost(m_host, static_cast<quint16>(m_port));
}

void TClientSocket::Close()
{
    m_connectTimer.stop();
    // What arrived but was not handed on yet goes with the connection.
    m_readTimer.stop();
    m_socket->abort();
}

bool TClientSocket::Active() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void TClientSocket::SendText(const QString& text)
{
    if (!Active()) {
        return;
    }
    const QByteArray bytes = text.toLatin1();
    m_socket->write(bytes);
    m_unacknowledged.sent(bytes);
    // Push the bytes to the kernel now: a caller may hold the event loop in a busy wait right
    // after sending, and the line must already be on its way by then.
    m_socket->flush();
}

QString TClientSocket::ReceiveText()
{
    QByteArray bytes = std::exchange(m_unreadAfterFailure, {});
    if (m_socket->isOpen()) {
        bytes += m_socket->readAll();
    }
    return QString::fromLatin1(bytes);
}

void TClientSocket::handleConnected()
{
    m_connectTimer.stop();
    // Command lines are short and often come in bursts; Nagle's delay would hold them back.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_unacknowledged.clear();
    m_acknowledgementsKnown = false;
    m_liveness.start(m_socket->socketDescriptor());
    Q_EMIT OnConnect();
}

void TClientSocket::handleError()
{
    m_connectTimer.stop();
    // Qt reports a failed write while the connection still counts as open and the bytes still
    // wait in its buffer.
    const bool connected = m_socket->state() == QAbstractSocket::ConnectedState;
    const bool writeFailed = connected && m_socket->bytesToWrite() > 0;
    // A timeout on an established connection is the system giving up on a silent server: no
    // acknowledgement of what was sent, no answer to a keepalive probe.
    const QString message =
        connected && m_socket->error() == QAbstractSocket::SocketTimeoutError
            ? deadLinkMessage(m_openedHost, m_openedPort, unacknowledgedSummary())
            : connectionFailureMessage(commonFault(m_socket->error(), writeFailed), m_openedHost,
                                       m_openedPort, m_socket->errorString());
    // What arrived before the fault is the operator's to see before it, each read as it came:
    // the portion still waiting for its turn of the event loop, then whatever followed it.
    if (m_readTimer.isActive()) {
        m_readTimer.stop();
        deliverRead();
    }
    if (m_socket->isOpen()) {
        m_unreadAfterFailure += m_socket->readAll();
    }
    // Drop the broken connection so "verbinden" can start afresh.
    m_socket->abort();
    if (!m_unreadAfterFailure.isEmpty()) {
        Q_EMIT OnRead();
    }
    Q_EMIT OnFailure(message);
}

void TClientSocket::noteSendQueue(const LinkLiveness::SendQueue& queue)
{
    // The system holds what Qt has handed it; Qt's own buffer holds the rest of what was sent.
    const qint64 handedToSystem = m_unacknowledged.bytesSent() - m_socket->bytesToWrite();
    m_unacknowledged.acknowledgedUpTo(handedToSystem - queue.unacknowledged);
    m_acknowledgementsKnown = true;
}

std::optional<UnacknowledgedSummary> TClientSocket::unacknowledgedSummary() const
{
    // The system gives up only after seconds without any acknowledgement, and the queue is read
    // every second, so the last reading already holds every acknowledgement that came.
    if (!m_acknowledgementsKnown) {
        return std::nullopt;
    }
    // Enough to recognise them; the count tells how many more there were.
    constexpr qsizetype ShownLines = 10;
    return UnacknowledgedSummary{m_unacknowledged.count(), m_unacknowledged.newest(ShownLines)};
}

void TClientSocket::deliverRead()
{
    // The portion may have been taken meanwhile, by a caller of ReceiveText.
    if (!m_unreadAfterFailure.isEmpty() || (m_socket->isOpen() && m_socket->bytesAvailable() > 0)) {
        Q_EMIT OnRead();
    }
}

void TClientSocket::handleConnectTimeout()
{
    if (m_socket->state() == QAbstractSocket::ConnectedState) {
        return;
    }
    m_socket->abort();
    Q_EMIT OnFailure(connectionFailureMessage(QAbstractSocket::SocketTimeoutError, m_openedHost,
                                              m_openedPort, QString()));
}
