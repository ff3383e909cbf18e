// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "link_liveness.h"

#include <QObject>
#include <QTimer>

// Sets a connected socket's dead-peer bounds and keeps them fitting what the peer does: once a
// second it reads the system's send queue, lifts the bound on unacknowledged data while the
// peer keeps its receive window closed, and sets it again once the window opens.
class LivenessWatch : public QObject
{
    Q_OBJECT

public:
    explicit LivenessWatch(QObject* parent = nullptr);

    // Keepalive itself is the caller's to switch on, through Qt where Qt owns the socket.
    LinkLiveness::Settings start(qintptr descriptor);
    void stop();

    // How often the queue is read. Linux drops a peer whose window stays closed only once the
    // whole bound has passed, so the lift comes with nine seconds to spare, even behind a
    // turnout pulse that holds the event loop.
    static constexpr int IntervalMs = 1000;

Q_SIGNALS:
    // The send queue as just read; only where the platform tells.
    void sampled(const LinkLiveness::SendQueue& queue);

private:
    // False where the platform does not tell the send queue.
    bool check();

    QTimer m_timer;
    qintptr m_descriptor = -1;
    bool m_limitSet = false;
    bool m_limitLifted = false;
};
