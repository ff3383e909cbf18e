// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "line_reader.h"

#include <QByteArray>
#include <QList>

// The bytes a reader holds back for an unfinished line, seen the way a server sees them: as the
// line one more LF completes. Empty when nothing is held back or the stream lost its framing.
inline QByteArray heldBackBytes(const LineReader& reader)
{
    LineReader completed = reader;
    const QList<LineReader::Line> lines = completed.feed("\n", 0);
    return lines.isEmpty() ? QByteArray() : lines.first().bytes.chopped(1);
}
