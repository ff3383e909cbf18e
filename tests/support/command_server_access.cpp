// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command_server_access.h"

#include "command_server.h"
#include "native_socket.h"
#include "server_connection.h"
#include "server_listener.h"
#include "traffic_recording.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QVariant>

namespace {
// How long a closing connection reads on for the client's own close before it closes anyway.
constexpr int DrainMs = 2000;
constexpr char SendingEnded[] = "sendingEnded";
} // namespace

CommandServerAccess::CommandServerAccess(CommandServer* server, TrafficRecording* recording)
    : m_server(server), m_recording(recording)
{
    // Direct calls on the server's thread, inside its emit: a connection is counted and
    // hooked up before it reads its first byte, and counted out before the owner hears of it.
    QObject::connect(m_server, &CommandServer::clientConnected, m_server,
                     [this](int connectionId) { hookUp(connectionId); });
    QObject::connect(m_server, &CommandServer::clientDisconnected, m_server,
                     [this] { m_recording->connectionClosed(); });
}

void CommandServerAccess::hookUp(int connectionId)
{
    m_recording->connectionOpened();
    ServerConnection* connection = m_server->m_clients.at(connectionId).connection;
    applyReading(*connection);
    // Each chunk is recorded before the server handles it, so a client that has its answer
    // finds its line already in the recording.
    QObject::disconnect(connection, &ServerConnection::received, m_server, nullptr);
    QObject::connect(connection, &ServerConnection::received, m_server,
                     [this, connectionId](const QByteArray& chunk, qint64 arrivalNs) {
                         record(connectionId, chunk, arrivalNs);
                         m_server->handleChunk(connectionId, chunk, arrivalNs);
                     });
}

void CommandServerAccess::record(int connectionId, const QByteArray& chunk, qint64 arrivalNs)
{
    const auto found = m_server->m_clients.find(connectionId);
    if (found == m_server->m_clients.end() || found->second.closing) {
        return;
    }
    // A copy of the client's reader cuts the lines exactly as the server is about to.
    LineReader reader = found->second.reader;
    const QString peer = found->second.connection->peer();
    QList<TrafficRecording::Entry> lines;
    for (const LineReader::Line& line : reader.feed(chunk, arrivalNs)) {
        lines.append({line.bytes, line.arrivalNs, connectionId, peer});
    }
    m_recording->add({chunk, arrivalNs, connectionId, peer}, lines);
}

void CommandServerAccess::sendToClients(const QByteArray& bytes)
{
    for (auto& [id, client] : m_server->m_clients) {
        m_server->write(client, bytes);
    }
}

void CommandServerAccess::closeClients()
{
    // A connection may report its close at once; the server forgets it queued, so the map
    // stays intact while we walk it.
    for (auto& [id, client] : m_server->m_clients) {
        if (!client.closing) {
            client.closing = true;
            closeWhenSent(*client.connection);
        }
    }
}

void CommandServerAccess::setReading(bool reading)
{
    m_reading = reading;
    for (auto& [id, client] : m_server->m_clients) {
        applyReading(*client.connection);
    }
}

void CommandServerAccess::stopListening()
{
    if (m_server->m_listener) {
        m_server->m_listener->close();
    }
}

void CommandServerAccess::applyReading(ServerConnection& connection) const
{
    // A closing connection reads on: the client's close is what it waits for.
    if (connection.isOpen() && !connection.property(SendingEnded).toBool()) {
        connection.m_readNotifier->setEnabled(m_reading);
    }
}

void CommandServerAccess::closeWhenSent(ServerConnection& connection)
{
    if (connection.m_unsent.isEmpty()) {
        endSending(connection);
        return;
    }
    // The connection's own slot sends first; the stream ends once nothing is left.
    QObject::connect(connection.m_writeNotifier, &QSocketNotifier::activated, &connection,
                     [&connection] {
                         if (connection.m_unsent.isEmpty()) {
                             endSending(connection);
                         }
                     });
}

void CommandServerAccess::endSending(ServerConnection& connection)
{
    if (!connection.isOpen() || connection.property(SendingEnded).toBool()) {
        return;
    }
    connection.setProperty(SendingEnded, true);
    // A close with unread input resets the connection, and the reset may take the client's last
    // answer with it. End this side of the stream instead and read on until the client closes
    // too, or for a short while where it does not.
    ::shutdown(static_cast<NativeSocket>(connection.m_descriptor), ShutdownSending);
    connection.m_readNotifier->setEnabled(true);
    QTimer::singleShot(DrainMs, &connection, &ServerConnection::abort);
}
