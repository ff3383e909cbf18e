// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command_server.h"

#include "command_server_engine.h"

#include <type_traits>

CommandServer::CommandServer(QObject* parent)
    : QObject(parent), m_engine(new CommandServerEngine(&m_recording))
{
    m_thread.setObjectName(QStringLiteral("peer"));
    m_engine->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
    connect(m_engine, &CommandServerEngine::clientConnected, this, &CommandServer::clientConnected);
    connect(m_engine, &CommandServerEngine::clientDisconnected, this,
            &CommandServer::clientDisconnected);
    connect(m_engine, &CommandServerEngine::lineReceived, this, &CommandServer::lineReceived);
    connect(m_engine, &CommandServerEngine::lineTooLong, this, &CommandServer::lineTooLong);
    m_thread.start();
}

CommandServer::~CommandServer()
{
    m_thread.quit();
    m_thread.wait();
}

template <typename Call> auto CommandServer::inServerThread(Call call)
{
    using Result = std::invoke_result_t<Call>;
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(m_engine, call, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(m_engine, call, Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

bool CommandServer::listen(const QHostAddress& address, quint16 port)
{
    struct Outcome
    {
        bool listening = false;
        quint16 port = 0;
        QString errorString;
    };
    const Outcome outcome = inServerThread([this, address, port] {
        const bool listening = m_engine->listen(address, port);
        return Outcome{listening, m_engine->serverPort(), m_engine->errorString()};
    });
    m_port = outcome.port;
    m_errorString = outcome.errorString;
    return outcome.listening;
}

void CommandServer::sendToClients(const QByteArray& bytes)
{
    inServerThread([this, bytes] { m_engine->sendToClients(bytes); });
}

void CommandServer::closeClients()
{
    inServerThread([this] { m_engine->closeClients(); });
}

void CommandServer::setAnswering(Answering answering)
{
    inServerThread([this, answering] {
        m_engine->setAnswering(answering != Answering::None, answering == Answering::SrcpSilentSet);
    });
}

void CommandServer::setWelcome(bool welcome)
{
    inServerThread([this, welcome] { m_engine->setWelcome(welcome); });
}

void CommandServer::setReading(bool reading)
{
    inServerThread([this, reading] { m_engine->setReading(reading); });
}

bool CommandServer::setContact(const SrcpResponder::ContactSetting& setting)
{
    return inServerThread([this, setting] { return m_engine->setContact(setting); });
}

void CommandServer::stop()
{
    inServerThread([this] { m_engine->stopListening(); });
}
