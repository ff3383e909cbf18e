// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "line_reader.h"
#include "srcp_responder.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <map>

class ServerConnection;
class ServerListener;
class TrafficRecording;

// The part of CommandServer that lives on the peer's own thread: the listening socket, the client
// connections, their line readers and the one layout state they share. Only CommandServer talks
// to it.
class CommandServerEngine : public QObject
{
    Q_OBJECT

public:
    // A client that stops reading our answers is dropped before its backlog eats memory.
    static constexpr qint64 MaxUnsentBytes = 1 << 20;

    explicit CommandServerEngine(TrafficRecording* recording);

    [[nodiscard]] bool listen(const QHostAddress& address, quint16 port);
    [[nodiscard]] quint16 serverPort() const;
    [[nodiscard]] QString errorString() const { return m_errorString; }
    void stopListening();

    void sendToClients(const QByteArray& bytes);
    void closeClients();
    void setAnswering(bool answering, bool silentSet);
    void setWelcome(bool welcome) { m_welcome = welcome; }
    void setReading(bool reading);
    [[nodiscard]] bool setContact(const SrcpResponder::ContactSetting& setting);

Q_SIGNALS:
    void clientConnected(int connectionId, const QString& peer);
    void clientDisconnected(int connectionId);
    void lineReceived(const QByteArray& bytes, qint64 arrivalNs, int connectionId,
                      const QString& peer);
    void lineTooLong(int connectionId);

private:
    struct Client
    {
        ServerConnection* connection = nullptr;
        LineReader reader;
        bool closing = false;
    };

    void accept(qintptr descriptor);
    void handleChunk(int connectionId, const QByteArray& chunk, qint64 arrivalNs);
    void forget(int connectionId);
    void write(Client& client, const QByteArray& bytes);

    TrafficRecording* m_recording;
    ServerListener* m_listener = nullptr;
    QString m_errorString;
    std::map<int, Client> m_clients;
    int m_lastConnectionId = 0;
    SrcpResponder m_responder;
    bool m_answering = false;
    bool m_welcome = false;
    bool m_reading = true;
};
