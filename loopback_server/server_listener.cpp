#include "server_listener.h"

ServerListener::ServerListener(QObject* parent) : QTcpServer(parent) {}

void ServerListener::incomingConnection(qintptr descriptor)
{
    Q_EMIT accepted(descriptor);
}
