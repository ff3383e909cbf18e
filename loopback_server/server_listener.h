// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTcpServer>

// Hands each accepted socket over as a bare descriptor: ServerConnection reads it with recvmsg()
// to get the kernel's arrival stamps, which a QTcpSocket would not pass on (on Windows, which
// has no such stamps for TCP, it reads with recv()).
class ServerListener : public QTcpServer
{
    Q_OBJECT

public:
    explicit ServerListener(QObject* parent = nullptr);

Q_SIGNALS:
    void accepted(qintptr descriptor);

protected:
    void incomingConnection(qintptr descriptor) override;
};
