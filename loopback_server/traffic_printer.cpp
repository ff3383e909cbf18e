// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "traffic_printer.h"

#include "line_reader.h"
#include "srcp_responder.h"

QByteArray TrafficPrinter::line(QByteArrayView bytes, qint64 arrivalNs, int connectionId,
                                const QString& peer)
{
    QByteArray text = prefix(arrivalNs, connectionId) + peer.toLatin1() + ' ' + visible(bytes);
    const SrcpResponder::Command command = SrcpResponder::parse(bytes);
    if (command.kind == SrcpResponder::Command::Kind::SetTurnout) {
        const QPair<int, QByteArray> output{
            connectionId, command.protocol + ' ' + QByteArray::number(command.address) + ' ' +
                              QByteArray::number(command.port)};
        if (command.action == 1) {
            m_pulseStarts.insert(output, arrivalNs);
        } else if (const auto start = m_pulseStarts.constFind(output);
                   start != m_pulseStarts.cend()) {
            const qint64 micros = (arrivalNs - *start) / 1000;
            m_pulseStarts.erase(start);
            text += "  pulse " + QByteArray::number(micros / 1000) + '.' +
                    QByteArray::number(micros % 1000).rightJustified(3, '0') + " ms";
        }
    }
    return text + '\n';
}

QByteArray TrafficPrinter::connected(qint64 nowNs, int connectionId, const QString& peer) const
{
    return prefix(nowNs, connectionId) + peer.toLatin1() + " connected\n";
}

QByteArray TrafficPrinter::disconnected(qint64 nowNs, int connectionId)
{
    m_pulseStarts.removeIf(
        [connectionId](const auto& start) { return start.key().first == connectionId; });
    return prefix(nowNs, connectionId) + "closed\n";
}

QByteArray TrafficPrinter::tooLong(qint64 nowNs, int connectionId) const
{
    return prefix(nowNs, connectionId) + "line longer than " +
           QByteArray::number(LineReader::MaxLineLength) + " bytes, closing the connection\n";
}

QByteArray TrafficPrinter::vanished(qint64 nowNs, int connectionId) const
{
    return prefix(nowNs, connectionId) + "client stopped answering, dropping the connection\n";
}

QByteArray TrafficPrinter::visible(QByteArrayView bytes)
{
    QByteArray text;
    text.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        switch (c) {
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\\':
            text += "\\\\";
            break;
        default:
            if (c >= 0x20 && c < 0x7f) {
                text += c;
            } else {
                text +=
                    "\\x" + QByteArray::number(static_cast<uchar>(c), 16).rightJustified(2, '0');
            }
        }
    }
    return text;
}

QByteArray TrafficPrinter::timestamp(qint64 ns)
{
    const qint64 micros = ns / 1000;
    return QByteArray::number(micros / 1'000'000) + '.' +
           QByteArray::number(micros % 1'000'000).rightJustified(6, '0');
}

QByteArray TrafficPrinter::prefix(qint64 ns, int connectionId)
{
    return timestamp(ns) + " #" + QByteArray::number(connectionId) + ' ';
}
