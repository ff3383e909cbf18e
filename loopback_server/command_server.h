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

class ClientConnection;
class ServerListener;

// The engine of kolvo-loopback-server: the listening socket, the client connections, their
// line readers and the one layout state they share. It greets every connection, answers each
// line as it arrives and reports every line with the time the kernel queued its last byte (see
// ConnectionSocket), so the printed gap between two lines is the gap on the wire even when this
// thread runs late.
class CommandServer : public QObject
{
    Q_OBJECT

public:
    enum class Answering { None, Srcp, SrcpSilentSet };
    Q_ENUM(Answering)

    // A client that stops reading our answers is dropped before its backlog eats memory.
    static constexpr qint64 MaxUnsentBytes = 1 << 20;

    explicit CommandServer(QObject* parent = nullptr);

    [[nodiscard]] bool listen(const QHostAddress& address, quint16 port);
    [[nodiscard]] quint16 serverPort() const;
    [[nodiscard]] QString errorString() const { return m_errorString; }

    // Srcp, the default, answers every line (an INFO line per command, "INFO -2" for anything
    // it cannot parse); SrcpSilentSet answers nothing to SET, like a strict 0.7 command port;
    // None answers nothing.
    void setAnswering(Answering answering);
    // Whether every new connection is greeted first, as it is by default.
    void setWelcome(bool welcome) { m_welcome = welcome; }
    // Closes or opens a feedback contact for "GET FB S88".
    [[nodiscard]] bool setContact(const SrcpResponder::ContactSetting& setting);

Q_SIGNALS:
    void clientConnected(int connectionId, const QString& peer);
    void clientDisconnected(int connectionId);
    // Before the line's answer is written: a receiver on this thread has the line before the
    // client can have the answer.
    void lineReceived(const QByteArray& bytes, qint64 arrivalNs, int connectionId,
                      const QString& peer);
    void lineTooLong(int connectionId);
    // The client stopped answering, so the system gave its connection up; clientDisconnected
    // follows.
    void clientVanished(int connectionId);

protected:
    // The connection for a socket just accepted, which clientConnected reports right after; it
    // takes over the descriptor and has this server as its parent. The shipped server's is a
    // ServerConnection. A test peer hands out its own kind of ServerConnection here, to fail in
    // ways the shipped server never does.
    [[nodiscard]] virtual ClientConnection* makeConnection(qintptr descriptor);
    // Closes the listening socket: a later connect is refused while open connections go on.
    void stopListening();

private:
    struct Client
    {
        ClientConnection* connection = nullptr;
        LineReader reader;
        bool closing = false;
    };

    void accept(qintptr descriptor);
    void handleChunk(int connectionId, const QByteArray& chunk, qint64 arrivalNs);
    void forget(int connectionId);
    void write(Client& client, const QByteArray& bytes);

    ServerListener* m_listener = nullptr;
    QString m_errorString;
    std::map<int, Client> m_clients;
    int m_lastConnectionId = 0;
    SrcpResponder m_responder;
    bool m_answering = true;
    bool m_welcome = true;
};
