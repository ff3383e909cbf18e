// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "peer_server.h"

#include "peer_connection.h"
#include "traffic_recording.h"

#include <utility>

// The recording's handlers are the first on these signals and run inside the emit, on this
// thread: a connection is counted before it reads its first byte, and counted out before the
// peer's owner hears of it; a line is recorded before its answer is written.
PeerServer::PeerServer(TrafficRecording& recording) : m_recording(recording)
{
    setAnswering(Answering::None);
    setWelcome(false);
    connect(this, &CommandServer::clientConnected, this, &PeerServer::opened);
    connect(this, &CommandServer::clientDisconnected, this, &PeerServer::gone);
    connect(
        this, &CommandServer::lineReceived, this,
        [this](const QByteArray& bytes, qint64 arrivalNs, int connectionId, const QString& peer) {
            m_recording.addLine({bytes, arrivalNs, connectionId, peer});
        });
}

ClientConnection* PeerServer::makeConnection(qintptr descriptor)
{
    auto* connection = new PeerConnection(descriptor, this);
    connection->setReading(m_reading);
    m_accepted = connection;
    return connection;
}

void PeerServer::opened(int connectionId, const QString& peer)
{
    m_recording.connectionOpened();
    PeerConnection* connection = std::exchange(m_accepted, nullptr);
    if (!connection) {
        return;
    }
    m_connections[connectionId] = connection;
    // After the engine's own handler, which the engine connected first: a chunk shows in the
    // recording once the lines it completes do.
    connect(connection, &ClientConnection::received, this,
            [this, connectionId, peer](const QByteArray& chunk, qint64 arrivalNs) {
                m_recording.addChunk({chunk, arrivalNs, connectionId, peer});
            });
}

void PeerServer::gone(int connectionId)
{
    m_connections.erase(connectionId);
    m_recording.connectionClosed();
}

void PeerServer::sendToClients(const QByteArray& bytes)
{
    for (const auto& [id, connection] : m_connections) {
        if (connection) {
            connection->write(bytes);
        }
    }
}

void PeerServer::closeClients()
{
    for (const auto& [id, connection] : m_connections) {
        if (connection) {
            connection->closeWhenSent();
        }
    }
}

void PeerServer::setReading(bool reading)
{
    m_reading = reading;
    for (const auto& [id, connection] : m_connections) {
        if (connection) {
            connection->setReading(reading);
        }
    }
}
