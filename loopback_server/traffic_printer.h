// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QPair>
#include <QString>

// Turns what the loopback server sees into the text it prints, one line per event, so a user
// can read the exact bytes and check a turnout pulse's length by eye.
class TrafficPrinter
{
public:
    // The off-line of a pulse (the same turnout output switched on, then off, on one
    // connection) gets the time since its on-line appended.
    [[nodiscard]] QByteArray line(QByteArrayView bytes, qint64 arrivalNs, int connectionId,
                                  const QString& peer);
    [[nodiscard]] QByteArray connected(qint64 nowNs, int connectionId, const QString& peer) const;
    [[nodiscard]] QByteArray disconnected(qint64 nowNs, int connectionId);
    [[nodiscard]] QByteArray tooLong(qint64 nowNs, int connectionId) const;
    [[nodiscard]] QByteArray vanished(qint64 nowNs, int connectionId) const;

    // CR, LF, tab, backslash and every byte outside printable ASCII as escapes.
    [[nodiscard]] static QByteArray visible(QByteArrayView bytes);
    // Seconds on the monotonic clock with microseconds: "1234.567890".
    [[nodiscard]] static QByteArray timestamp(qint64 ns);

private:
    [[nodiscard]] static QByteArray prefix(qint64 ns, int connectionId);

    QMap<QPair<int, QByteArray>, qint64> m_pulseStarts; // (connection, output) -> on-line time
};
