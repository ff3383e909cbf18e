// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Cuts a TCP byte stream into lines ending in LF (a CR before the LF is kept as part of the
// line's bytes, so callers can see which line end the client really sent).
class LineReader
{
public:
    // Longest line content accepted, line end not counted.
    static constexpr qsizetype MaxLineLength = 1024;

    struct Line
    {
        QByteArray bytes;     // exactly as received, line end included
        qint64 arrivalNs = 0; // arrival of the chunk that held the line's last byte
    };

    // Returns the lines this chunk completes. After an overlong line the reader stops
    // producing lines until reset(): the stream has lost its framing.
    [[nodiscard]] QList<Line> feed(QByteArrayView chunk, qint64 arrivalNs);

    [[nodiscard]] bool isOverlong() const { return m_overlong; }
    void reset();

    // Strips one LF and one CR before it; lines that lack them come back unchanged.
    [[nodiscard]] static QByteArrayView withoutLineEnd(QByteArrayView line);

private:
    [[nodiscard]] static bool tooLong(QByteArrayView lineWithoutLf);

    QByteArray m_pending;
    bool m_overlong = false;
};
