#include "peer_server.h"

#include "peer_engine.h"

#include <type_traits>

PeerServer::PeerServer(QObject* parent) : QObject(parent), m_engine(new PeerEngine(&m_recording))
{
    m_thread.setObjectName(QStringLiteral("peer"));
    m_engine->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
    connect(m_engine, &PeerEngine::clientConnected, this, &PeerServer::clientConnected);
    connect(m_engine, &PeerEngine::clientDisconnected, this, &PeerServer::clientDisconnected);
    connect(m_engine, &PeerEngine::lineReceived, this, &PeerServer::lineReceived);
    connect(m_engine, &PeerEngine::lineTooLong, this, &PeerServer::lineTooLong);
    m_thread.start();
}

PeerServer::~PeerServer()
{
    m_thread.quit();
    m_thread.wait();
}

template <typename Call> auto PeerServer::inPeerThread(Call call)
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

bool PeerServer::listen(const QHostAddress& address, quint16 port)
{
    struct Outcome
    {
        bool listening = false;
        quint16 port = 0;
        QString errorString;
    };
    const Outcome outcome = inPeerThread([this, address, port] {
        const bool listening = m_engine->listen(address, port);
        return Outcome{listening, m_engine->serverPort(), m_engine->errorString()};
    });
    m_port = outcome.port;
    m_errorString = outcome.errorString;
    return outcome.listening;
}

void PeerServer::sendToClients(const QByteArray& bytes)
{
    inPeerThread([this, bytes] { m_engine->sendToClients(bytes); });
}

void PeerServer::closeClients()
{
    inPeerThread([this] { m_engine->closeClients(); });
}

void PeerServer::setAnswering(Answering answering)
{
    inPeerThread([this, answering] {
        m_engine->setAnswering(answering != Answering::None, answering == Answering::SrcpSilentSet);
    });
}

void PeerServer::setWelcome(bool welcome)
{
    inPeerThread([this, welcome] { m_engine->setWelcome(welcome); });
}

void PeerServer::setReading(bool reading)
{
    inPeerThread([this, reading] { m_engine->setReading(reading); });
}

bool PeerServer::setContact(const SrcpResponder::ContactSetting& setting)
{
    return inPeerThread([this, setting] { return m_engine->setContact(setting); });
}

void PeerServer::stop()
{
    inPeerThread([this] { m_engine->stopListening(); });
}
