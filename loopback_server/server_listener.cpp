// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "server_listener.h"

ServerListener::ServerListener(QObject* parent) : QTcpServer(parent) {}

void ServerListener::incomingConnection(qintptr descriptor)
{
    Q_EMIT accepted(descriptor);
}
