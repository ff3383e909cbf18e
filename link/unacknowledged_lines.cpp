// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "unacknowledged_lines.h"

#include <algorithm>

void UnacknowledgedLines::sent(const QByteArray& line)
{
    if (line.isEmpty()) {
        return;
    }
    m_bytesSent += line.size();
    m_lines.push_back({m_bytesSent, line});
    if (count() > KeptTexts) {
        m_lines[m_lines.size() - KeptTexts - 1].text = QByteArray();
    }
}

void UnacknowledgedLines::acknowledgedUpTo(qint64 offset)
{
    while (!m_lines.empty() && m_lines.front().end <= offset) {
        m_lines.pop_front();
    }
}

void UnacknowledgedLines::clear()
{
    m_lines.clear();
    m_bytesSent = 0;
}

QList<QByteArray> UnacknowledgedLines::newest(qsizetype most) const
{
    QList<QByteArray> texts;
    const qsizetype shown = std::min({most, count(), KeptTexts});
    for (auto line = m_lines.end() - shown; line != m_lines.end(); ++line) {
        texts.append(line->text);
    }
    return texts;
}
