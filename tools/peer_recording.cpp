#include "peer_recording.h"

#include <QMutexLocker>

#include <chrono>

qint64 PeerRecording::monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PeerRecording::setEnabled(bool enabled)
{
    const QMutexLocker lock(&m_mutex);
    m_enabled = enabled;
}

void PeerRecording::add(const Entry& chunk, const QList<Entry>& completedLines)
{
    const QMutexLocker lock(&m_mutex);
    if (m_enabled) {
        m_chunks.append(chunk);
        m_lines.append(completedLines);
    }
}

void PeerRecording::connectionOpened()
{
    const QMutexLocker lock(&m_mutex);
    ++m_connectionCount;
    ++m_activeConnections;
}

void PeerRecording::connectionClosed()
{
    const QMutexLocker lock(&m_mutex);
    --m_activeConnections;
}

void PeerRecording::clear()
{
    const QMutexLocker lock(&m_mutex);
    m_chunks.clear();
    m_lines.clear();
}

QByteArray PeerRecording::receivedBytes() const
{
    const QMutexLocker lock(&m_mutex);
    QByteArray all;
    for (const Entry& chunk : m_chunks) {
        all += chunk.bytes;
    }
    return all;
}

QList<PeerRecording::Entry> PeerRecording::chunks() const
{
    const QMutexLocker lock(&m_mutex);
    return m_chunks;
}

QList<PeerRecording::Entry> PeerRecording::lines() const
{
    const QMutexLocker lock(&m_mutex);
    return m_lines;
}

int PeerRecording::connectionCount() const
{
    const QMutexLocker lock(&m_mutex);
    return m_connectionCount;
}

int PeerRecording::activeConnections() const
{
    const QMutexLocker lock(&m_mutex);
    return m_activeConnections;
}
