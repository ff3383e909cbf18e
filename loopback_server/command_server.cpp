// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command_server.h"

#include "connection_socket.h"
#include "server_connection.h"
#include "server_listener.h"

CommandServer::CommandServer(QObject* parent) : QObject(parent) {}

bool CommandServer::listen(const QHostAddress& address, quint16 port)
{
    if (!m_listener) {
        m_listener = new ServerListener(this);
        connect(m_listener, &ServerListener::accepted, this, &CommandServer::accept);
    }
    if (m_listener->isListening()) {
        m_errorString = QStringLiteral("already listening");
        return false;
    }
    const bool listening = m_listener->listen(address, port);
    m_errorString = listening ? QString() : m_listener->errorString();
    if (listening) {
        // Accepted sockets inherit it, so even bytes sent before we accept carry a stamp.
        ConnectionSocket::stampArrivals(m_listener->socketDescriptor());
    }
    return listening;
}

quint16 CommandServer::serverPort() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

void CommandServer::setAnswering(Answering answering)
{
    m_answering = answering != Answering::None;
    m_responder.setSilentSet(answering == Answering::SrcpSilentSet);
}

void CommandServer::stopListening()
{
    if (m_listener) {
        m_listener->close();
    }
}

bool CommandServer::setContact(const SrcpResponder::ContactSetting& setting)
{
    return m_responder.setContact(setting);
}

ClientConnection* CommandServer::makeConnection(qintptr descriptor)
{
    return new ServerConnection(descriptor, this);
}

void CommandServer::accept(qintptr descriptor)
{
    const int id = ++m_lastConnectionId;
    ClientConnection* connection = makeConnection(descriptor);
    Client& client = m_clients[id];
    client.connection = connection;
    connect(connection, &ClientConnection::received, this,
            [this, id](const QByteArray& chunk, qint64 arrivalNs) {
                handleChunk(id, chunk, arrivalNs);
            });
    connect(connection, &ClientConnection::vanished, this,
            [this, id] { Q_EMIT clientVanished(id); });
    connect(
        connection, &ClientConnection::closed, this, [this, id] { forget(id); },
        Qt::QueuedConnection);
    Q_EMIT clientConnected(id, connection->peer());
    if (m_welcome) {
        write(client, SrcpResponder::welcomeLine());
    }
}

void CommandServer::handleChunk(int connectionId, const QByteArray& chunk, qint64 arrivalNs)
{
    const auto found = m_clients.find(connectionId);
    if (found == m_clients.end() || found->second.closing) {
        return;
    }
    Client& client = found->second;
    const QString peer = client.connection->peer();
    for (const LineReader::Line& line : client.reader.feed(chunk, arrivalNs)) {
        Q_EMIT lineReceived(line.bytes, line.arrivalNs, connectionId, peer);
        if (m_answering) {
            const QByteArray answer = m_responder.respond(line.bytes);
            if (!answer.isEmpty()) {
                write(client, answer);
            }
        }
    }
    if (client.reader.isOverlong() && !client.closing) {
        client.closing = true;
        Q_EMIT lineTooLong(connectionId);
        // The rest of the stream has no framing left to trust.
        client.connection->abort();
    }
}

void CommandServer::forget(int connectionId)
{
    const auto found = m_clients.find(connectionId);
    if (found == m_clients.end()) {
        return;
    }
    found->second.connection->deleteLater();
    m_clients.erase(found);
    Q_EMIT clientDisconnected(connectionId);
}

void CommandServer::write(Client& client, const QByteArray& bytes)
{
    if (client.closing) {
        return;
    }
    client.connection->write(bytes);
    if (client.connection->unsentBytes() > MaxUnsentBytes) {
        client.closing = true;
        client.connection->abort();
    }
}
