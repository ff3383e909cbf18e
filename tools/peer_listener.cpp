#include "peer_listener.h"

PeerListener::PeerListener(QObject* parent) : QTcpServer(parent) {}

void PeerListener::incomingConnection(qintptr descriptor)
{
    Q_EMIT accepted(descriptor);
}
