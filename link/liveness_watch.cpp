// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "liveness_watch.h"

LivenessWatch::LivenessWatch(QObject* parent) : QObject(parent)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &LivenessWatch::check);
}

LinkLiveness::Settings LivenessWatch::start(qintptr descriptor)
{
    m_descriptor = descriptor;
    const LinkLiveness::Settings settings = LinkLiveness::applyDeadPeerBounds(descriptor);
    m_limitSet = settings.unacknowledgedLimit;
    m_limitLifted = false;
    // Where the system does not tell its send queue there is nothing to watch.
    if (check()) {
        m_timer.start();
    }
    return settings;
}

void LivenessWatch::stop()
{
    m_timer.stop();
    m_descriptor = -1;
}

bool LivenessWatch::check()
{
    const auto queue = LinkLiveness::sendQueue(m_descriptor);
    if (!queue) {
        return false;
    }
    const bool lift = LinkLiveness::peerWindowClosed(*queue);
    if (m_limitSet && lift != m_limitLifted &&
        LinkLiveness::setUnacknowledgedLimit(m_descriptor, !lift)) {
        m_limitLifted = lift;
    }
    Q_EMIT sampled(*queue);
    return true;
}
