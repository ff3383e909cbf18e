#include "tclient_socket.h"

#include "connection_messages.h"

#include <QTcpSocket>

#include <utility>

TClientSocket::TClientSocket(QObject* parent) : QObject(parent), socket(new QTcpSocket(this))
{
    // Bounds what one read takes from a flooding server: the rest waits in the kernel, so
    // memory stays flat and each read event is short.
    socket->setReadBufferSize(qint64{64} * 1024);
    connectTimer.setSingleShot(true);
    connect(&connectTimer, &QTimer::timeout, this, &TClientSocket::handleConnectTimeout);
    connect(socket, &QTcpSocket::connected, this, &TClientSocket::handleConnected);
    connect(socket, &QTcpSocket::readyRead, this, &TClientSocket::OnRead);
    connect(socket, &QTcpSocket::errorOccurred, this, &TClientSocket::handleError);
}

TClientSocket::~TClientSocket()
{
    // Leave quietly: closing the window must not raise a failure for a dying connection.
    socket->disconnect(this);
    socket->abort();
}

void TClientSocket::Open()
{
    if (socket->state() != QAbstractSocket::UnconnectedState) {
        return;
    }
    openedHost = host;
    openedPort = port;
    if (port < 1 || port > 65535) {
        // A wrapped-around quint16 would silently reach a different port.
        Q_EMIT OnFailure(invalidPortMessage(port));
        return;
    }
    connectTimer.start(connectTimeoutMs);
    socket->connectToHost(host, static_cast<quint16>(port));
}

void TClientSocket::Close()
{
    connectTimer.stop();
    socket->abort();
}

bool TClientSocket::Active() const
{
    return socket->state() == QAbstractSocket::ConnectedState;
}

void TClientSocket::SendText(const QString& text)
{
    if (!Active()) {
        return;
    }
    socket->write(text.toLatin1());
    // Push the bytes to the kernel now: a caller may hold the event loop in a busy wait right
    // after sending, and the line must already be on its way by then.
    socket->flush();
}

QString TClientSocket::ReceiveText()
{
    QByteArray bytes = std::exchange(unreadAfterFailure, {});
    if (socket->isOpen()) {
        bytes += socket->readAll();
    }
    return QString::fromLatin1(bytes);
}

void TClientSocket::handleConnected()
{
    connectTimer.stop();
    // Command lines are short and often come in bursts; Nagle's delay would hold them back.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    Q_EMIT OnConnect();
}

void TClientSocket::handleError()
{
    connectTimer.stop();
    const QString message =
        connectionFailureMessage(socket->error(), openedHost, openedPort, socket->errorString());
    if (socket->isOpen()) {
        unreadAfterFailure += socket->readAll();
    }
    // Drop the broken connection so "verbinden" can start afresh.
    socket->abort();
    Q_EMIT OnFailure(message);
}

void TClientSocket::handleConnectTimeout()
{
    if (socket->state() == QAbstractSocket::ConnectedState) {
        return;
    }
    socket->abort();
    Q_EMIT OnFailure(connectionFailureMessage(QAbstractSocket::SocketTimeoutError, openedHost,
                                              openedPort, QString()));
}
