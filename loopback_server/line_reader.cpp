// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "line_reader.h"

#include <utility>

QList<LineReader::Line> LineReader::feed(QByteArrayView chunk, qint64 arrivalNs)
{
    QList<Line> lines;
    if (m_overlong) {
        return lines;
    }
    qsizetype start = 0;
    while (start < chunk.size()) {
        const qsizetype lf = chunk.indexOf('\n', start);
        if (lf < 0) {
            m_pending.append(chunk.sliced(start));
            if (tooLong(m_pending)) {
                m_overlong = true;
                m_pending.clear();
            }
            break;
        }
        m_pending.append(chunk.sliced(start, lf - start));
        if (tooLong(m_pending)) {
            m_overlong = true;
            m_pending.clear();
            break;
        }
        m_pending.append('\n');
        lines.append(Line{std::exchange(m_pending, {}), arrivalNs});
        start = lf + 1;
    }
    return lines;
}

void LineReader::reset()
{
    m_pending.clear();
    m_overlong = false;
}

QByteArrayView LineReader::withoutLineEnd(QByteArrayView line)
{
    if (line.endsWith('\n')) {
        line.chop(1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return line;
}

bool LineReader::tooLong(QByteArrayView lineWithoutLf)
{
    // A CR at the end may still turn out to be the first half of a CR LF.
    const qsizetype content = lineWithoutLf.size() - (lineWithoutLf.endsWith('\r') ? 1 : 0);
    return content > MaxLineLength;
}
