// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>

#include <deque>

// The lines sent on one connection that the server's system has not acknowledged yet, so that a
// connection found dead can name what may never have arrived. Lines are counted from the
// connection's first byte; the acknowledged part is told from outside, from the system's send
// queue.
class UnacknowledgedLines
{
public:
    // The texts kept for naming; older unacknowledged lines are only counted, so that a server
    // that reads nothing for long costs a few bytes per line.
    static constexpr qsizetype KeptTexts = 1000;

    void sent(const QByteArray& line);
    // The first `offset` bytes of the connection have been acknowledged.
    void acknowledgedUpTo(qint64 offset);
    void clear();

    [[nodiscard]] qint64 bytesSent() const { return m_bytesSent; }
    // Lines of which at least their last byte is not acknowledged.
    [[nodiscard]] qsizetype count() const { return qsizetype(m_lines.size()); }
    // The newest of them, at most `most`, oldest first.
    [[nodiscard]] QList<QByteArray> newest(qsizetype most) const;

private:
    struct Line
    {
        qint64 end;      // offset just past the line's last byte
        QByteArray text; // empty once it is no longer among the KeptTexts newest
    };

    std::deque<Line> m_lines;
    qint64 m_bytesSent = 0;
};
