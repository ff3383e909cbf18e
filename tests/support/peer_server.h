// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "command_server.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <map>

class PeerConnection;
class TrafficRecording;

// The command server's engine as the recording peer runs it: behind sockets of the peer's own
// (PeerConnection), which a test can stop reading and close after sending, recording what it
// receives from its signals. Starts silent: no welcome, no answers. Lives on the peer's thread
// and is called only there.
class PeerServer : public CommandServer
{
    Q_OBJECT

public:
    // Records every connection into the recording, which must outlive this.
    explicit PeerServer(TrafficRecording& recording);

    void sendToClients(const QByteArray& bytes);
    void closeClients();
    void setReading(bool reading);
    using CommandServer::stopListening;

protected:
    [[nodiscard]] ClientConnection* makeConnection(qintptr descriptor) override;

private:
    void opened(int connectionId, const QString& peer);
    void gone(int connectionId);

    TrafficRecording& m_recording;
    // Made for the engine, which reports it with clientConnected right after.
    PeerConnection* m_accepted = nullptr;
    std::map<int, QPointer<PeerConnection>> m_connections;
    bool m_reading = true;
};
