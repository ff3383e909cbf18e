// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

// What the peer has received, written by the peer's thread and read by the test's thread.
class TrafficRecording
{
public:
    struct Entry
    {
        QByteArray bytes;
        qint64 arrivalNs = 0; // when the last byte reached the kernel, on monotonicNs()'s clock
        int connectionId = 0;
        QString peer; // "address:port" of the client
    };

    // A chunk is added after the lines it completes, so a reader that sees the bytes also
    // sees their lines.
    void addLine(const Entry& line);
    void addChunk(const Entry& chunk);
    void connectionOpened();
    void connectionClosed();
    void clear();

    [[nodiscard]] QByteArray receivedBytes() const;
    [[nodiscard]] QList<Entry> chunks() const;
    [[nodiscard]] QList<Entry> lines() const;
    [[nodiscard]] int connectionCount() const;
    [[nodiscard]] int activeConnections() const;

private:
    mutable QMutex m_mutex;
    QList<Entry> m_chunks;
    QList<Entry> m_lines;
    int m_connectionCount = 0;
    int m_activeConnections = 0;
};
