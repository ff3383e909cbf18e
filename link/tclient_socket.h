// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "liveness_watch.h"
#include "unacknowledged_lines.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class QTcpSocket;
struct UnacknowledgedSummary;

// Non-blocking TCP client with the small surface the window uses: host and port, open,
// close, an active flag, send and receive of 8-bit text, and connect and read events.
// Nothing here ever blocks the event loop. A server that vanishes without a word (power lost,
// Wi-Fi gone) is found within seconds, sending or idle, and reported as a failure.
class TClientSocket : public QObject
{
    Q_OBJECT

public:
    explicit TClientSocket(QObject* parent = nullptr);
    ~TClientSocket() override;

    [[nodiscard]] QString Host() const { return m_host; }
    void setHost(const QString& newHost) { m_host = newHost; }
    void setPort(int newPort) { m_port = newPort; }

    // Starts connecting; does nothing while a connection is being opened or is open.
    void Open();
    void Close();
    // True while the connection is established.
    [[nodiscard]] bool Active() const;

    // Sends the text as Latin-1 (callers refuse text with other characters, which would go out
    // as '?'). The bytes go to the operating system at once, as far as it takes them; while the
    // server reads nothing and the buffers between are full, the rest waits in Qt's buffer and
    // leaves in order later, from the event loop. Without an established connection nothing is
    // sent.
    void SendText(const QString& text);
    // Everything received and not yet taken, at most one bounded portion; empty when nothing
    // is waiting.
    [[nodiscard]] QString ReceiveText();

Q_SIGNALS:
    void OnConnect();
    void OnRead();
    // A connection could not be made or was lost without Close(); the text is for the operator.
    void OnFailure(const QString& message);

private:
    friend class TClientSocketAccess; // tests/support: the port and a shorter connect timeout

    void handleConnected();
    void handleError();
    void handleConnectTimeout();
    void deliverRead();
    void noteSendQueue(const LinkLiveness::SendQueue& queue);
    [[nodiscard]] std::optional<UnacknowledgedSummary> unacknowledgedSummary() const;

    QTcpSocket* m_socket;
    // Bytes that had arrived but were not yet taken when the connection broke: still the
    // operator's to see.
    QByteArray m_unreadAfterFailure;
    QTimer m_connectTimer;
    // Hands each arrived portion to OnRead on a later turn of the event loop; see the
    // constructor.
    QTimer m_readTimer;
    LivenessWatch m_liveness;
    // What was sent on this connection and not yet known to be acknowledged.
    UnacknowledgedLines m_unacknowledged;
    // Whether the system tells this connection's acknowledged bytes at all.
    bool m_acknowledgementsKnown = false;
    QString m_host = QStringLiteral("localhost");
    int m_port = 12345;
    // Host and port of the attempt under way, so a message names what was really tried.
    QString m_openedHost;
    int m_openedPort = 0;
    // How long a connection attempt may take before it is given up.
    int m_connectTimeoutMs = 10000;
};
