// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "traffic_recording.h"

#include <QMutexLocker>

void TrafficRecording::addLine(const Entry& line)
{
    const QMutexLocker lock(&m_mutex);
    m_lines.append(line);
}

void TrafficRecording::addChunk(const Entry& chunk)
{
    const QMutexLocker lock(&m_mutex);
    m_chunks.append(chunk);
}

void TrafficRecording::connectionOpened()
{
    const QMutexLocker lock(&m_mutex);
    ++m_connectionCount;
    ++m_activeConnections;
}

void TrafficRecording::connectionClosed()
{
    const QMutexLocker lock(&m_mutex);
    --m_activeConnections;
}

void TrafficRecording::clear()
{
    const QMutexLocker lock(&m_mutex);
    m_chunks.clear();
    m_lines.clear();
}

QByteArray TrafficRecording::receivedBytes() const
{
    const QMutexLocker lock(&m_mutex);
    QByteArray all;
    for (const Entry& chunk : m_chunks) {
        all += chunk.bytes;
    }
    return all;
}

QList<TrafficRecording::Entry> TrafficRecording::chunks() const
{
    const QMutexLocker lock(&m_mutex);
    return m_chunks;
}

QList<TrafficRecording::Entry> TrafficRecording::lines() const
{
    const QMutexLocker lock(&m_mutex);
    return m_lines;
}

int TrafficRecording::connectionCount() const
{
    const QMutexLocker lock(&m_mutex);
    return m_connectionCount;
}

int TrafficRecording::activeConnections() const
{
    const QMutexLocker lock(&m_mutex);
    return m_activeConnections;
}
