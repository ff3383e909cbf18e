// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "recording_peer.h"

#include <type_traits>

// The server's recording handlers are connected before these: the recording has counted a
// connection before the owner hears of it.
RecordingPeer::RecordingPeer(QObject* parent)
    : QObject(parent), m_server(new PeerServer(m_recording))
{
    m_thread.setObjectName(QStringLiteral("peer"));
    m_server->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    connect(m_server, &CommandServer::clientConnected, this, &RecordingPeer::clientConnected);
    connect(m_server, &CommandServer::clientDisconnected, this, &RecordingPeer::clientDisconnected);
    connect(m_server, &CommandServer::lineReceived, this, &RecordingPeer::lineReceived);
    connect(m_server, &CommandServer::lineTooLong, this, &RecordingPeer::lineTooLong);
    m_thread.start();
}

RecordingPeer::~RecordingPeer()
{
    m_thread.quit();
    m_thread.wait();
}

template <typename Call> auto RecordingPeer::inServerThread(Call call)
{
    using Result = std::invoke_result_t<Call>;
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(m_server, call, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(m_server, call, Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

bool RecordingPeer::listen(const QHostAddress& address, quint16 port)
{
    struct Outcome
    {
        bool listening = false;
        quint16 port = 0;
        QString errorString;
    };
    const Outcome outcome = inServerThread([this, address, port] {
        const bool listening = m_server->listen(address, port);
        return Outcome{listening, m_server->serverPort(), m_server->errorString()};
    });
    m_port = outcome.port;
    m_errorString = outcome.errorString;
    return outcome.listening;
}

void RecordingPeer::sendToClients(const QByteArray& bytes)
{
    inServerThread([this, bytes] { m_server->sendToClients(bytes); });
}

void RecordingPeer::closeClients()
{
    inServerThread([this] { m_server->closeClients(); });
}

void RecordingPeer::setAnswering(Answering answering)
{
    inServerThread([this, answering] { m_server->setAnswering(answering); });
}

void RecordingPeer::setWelcome(bool welcome)
{
    inServerThread([this, welcome] { m_server->setWelcome(welcome); });
}

void RecordingPeer::setReading(bool reading)
{
    inServerThread([this, reading] { m_server->setReading(reading); });
}

bool RecordingPeer::setContact(const SrcpResponder::ContactSetting& setting)
{
    return inServerThread([this, setting] { return m_server->setContact(setting); });
}

void RecordingPeer::stop()
{
    inServerThread([this] { m_server->stopListening(); });
}

void RecordingPeer::settle()
{
    // Twice: the first call may be queued ahead of what the handler running at the time queues
    // before it returns.
    inServerThread([] {});
    inServerThread([] {});
}
