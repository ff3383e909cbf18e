// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "srcp_responder.h"

#include "line_reader.h"

#include <QList>

namespace {

using Kind = SrcpResponder::Command::Kind;

constexpr QByteArrayView InvalidAnswer = "INFO -2\n";

QList<QByteArrayView> tokens(QByteArrayView text)
{
    QList<QByteArrayView> result;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ' || text[i] == '\t') {
            if (i > start) {
                result.append(text.sliced(start, i - start));
            }
            start = i + 1;
        }
    }
    return result;
}

// Strict decimal: digits with an optional minus, no plus, no blanks, nothing that could
// overflow. A token QByteArray::toInt() would accept with a twist is a wrong command here.
std::optional<int> number(QByteArrayView token, int min, int max)
{
    const bool negative = token.startsWith('-');
    const QByteArrayView digits = negative ? token.sliced(1) : token;
    if (digits.isEmpty() || digits.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    value = negative ? -value : value;
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// Reads the numbers of a command in order; the first one out of range spoils the whole line.
class NumberFields
{
public:
    NumberFields(const QList<QByteArrayView>& tokens, qsizetype first)
        : m_tokens(tokens), m_next(first)
    {
    }

    int take(int min, int max)
    {
        std::optional<int> value;
        if (m_next < m_tokens.size()) {
            value = number(m_tokens[m_next], min, max);
        }
        ++m_next;
        if (!value) {
            m_ok = false;
            return 0;
        }
        m_text += (m_text.isEmpty() ? "" : " ") + QByteArray::number(*value);
        return *value;
    }

    // True when every number was valid and no token is left over.
    [[nodiscard]] bool complete() const { return m_ok && m_next == m_tokens.size(); }
    [[nodiscard]] QByteArray text() const { return m_text; }

private:
    const QList<QByteArrayView>& m_tokens;
    qsizetype m_next;
    bool m_ok = true;
    QByteArray m_text;
};

SrcpResponder::Command setLoco(const QList<QByteArrayView>& t)
{
    // The decoder kinds the window offers; anything else means the client composed nonsense.
    static const QList<QByteArrayView> protocols{"M1", "M2", "NB", "N1", "N2", "N3", "N4"};
    SrcpResponder::Command command;
    if (t.size() < 3 || !protocols.contains(t[2])) {
        return command;
    }
    NumberFields fields(t, 3);
    const int address = fields.take(1, SrcpResponder::MaxAddress);
    fields.take(0, 1); // direction
    const int speed = fields.take(0, 1000);
    const int maxSpeed = fields.take(1, 1000);
    fields.take(0, 1); // F0
    const int functionCount = fields.take(0, 16);
    for (int i = 0; i < functionCount; ++i) {
        fields.take(0, 1);
    }
    if (!fields.complete() || speed > maxSpeed) {
        return command;
    }
    command.kind = Kind::SetLoco;
    command.protocol = t[2].toByteArray();
    command.address = address;
    command.arguments = command.protocol + ' ' + fields.text();
    return command;
}

SrcpResponder::Command setTurnout(const QList<QByteArrayView>& t)
{
    SrcpResponder::Command command;
    if (t.size() < 3 || (t[2] != "M" && t[2] != "N")) {
        return command;
    }
    NumberFields fields(t, 3);
    const int address = fields.take(1, SrcpResponder::MaxAddress);
    const int port = fields.take(0, 1);
    const int action = fields.take(0, 1);
    fields.take(-1, 60000); // switch-off delay in ms, -1 for none
    if (!fields.complete()) {
        return command;
    }
    command.kind = Kind::SetTurnout;
    command.protocol = t[2].toByteArray();
    command.address = address;
    command.port = port;
    command.action = action;
    command.arguments = command.protocol + ' ' + fields.text();
    return command;
}

SrcpResponder::Command powerCommand(const QList<QByteArrayView>& t, bool set)
{
    SrcpResponder::Command command;
    if (!set) {
        command.kind = t.size() == 2 ? Kind::GetPower : Kind::Invalid;
    } else if (t.size() == 3 && (t[2] == "ON" || t[2] == "OFF")) {
        command.kind = Kind::SetPower;
        command.powerOn = t[2] == "ON";
        command.arguments = t[2].toByteArray();
    }
    return command;
}

SrcpResponder::Command getCommand(const QList<QByteArrayView>& t)
{
    SrcpResponder::Command command;
    if (t[1] == "FB") {
        if (t.size() < 3 || t[2] != "S88") {
            return command;
        }
        NumberFields fields(t, 3);
        command.address = fields.take(1, SrcpResponder::MaxModule);
        command.kind = fields.complete() ? Kind::GetFeedback : Kind::Invalid;
        return command;
    }
    NumberFields fields(t, 2);
    command.address = fields.take(1, SrcpResponder::MaxAddress);
    if (t[1] == "GL") {
        command.kind = fields.complete() ? Kind::GetLoco : Kind::Invalid;
    } else if (t[1] == "GA") {
        command.port = fields.take(0, 1);
        command.kind = fields.complete() ? Kind::GetTurnout : Kind::Invalid;
    }
    return command;
}

} // namespace

SrcpResponder::Command SrcpResponder::parse(QByteArrayView line)
{
    const QList<QByteArrayView> t = tokens(LineReader::withoutLineEnd(line));
    Command command;
    if (t.isEmpty()) {
        command.kind = Kind::Empty;
        return command;
    }
    if (t.size() < 2) {
        return command;
    }
    if (t[0] == "SET") {
        if (t[1] == "GL") {
            return setLoco(t);
        }
        if (t[1] == "GA") {
            return setTurnout(t);
        }
        if (t[1] == "POWER") {
            return powerCommand(t, true);
        }
    } else if (t[0] == "GET") {
        if (t[1] == "POWER") {
            return powerCommand(t, false);
        }
        return getCommand(t);
    }
    return command;
}

std::optional<SrcpResponder::ContactSetting> SrcpResponder::parseContactSetting(QByteArrayView line)
{
    const QList<QByteArrayView> t = tokens(LineReader::withoutLineEnd(line));
    if (t.isEmpty() || t[0] != "FB") {
        return std::nullopt;
    }
    NumberFields fields(t, 1);
    ContactSetting setting;
    setting.module = fields.take(1, MaxModule);
    setting.contact = fields.take(1, ContactsPerModule);
    setting.closed = fields.take(0, 1) == 1;
    if (!fields.complete()) {
        return std::nullopt;
    }
    return setting;
}

QByteArray SrcpResponder::welcomeLine()
{
    return QByteArrayLiteral("kolvo-loopback-server " KOLVO_VERSION "; SRCP 0.7.3\n");
}

QByteArray SrcpResponder::respond(QByteArrayView line)
{
    const Command command = parse(line);
    QByteArray info;
    switch (command.kind) {
    case Kind::Empty:
        return {};
    case Kind::Invalid:
        return InvalidAnswer.toByteArray();
    case Kind::SetLoco:
        info = "INFO GL " + command.arguments;
        m_locos.insert(command.address, info);
        return m_silentSet ? QByteArray() : info + '\n';
    case Kind::SetTurnout:
        info = "INFO GA " + command.arguments;
        m_turnouts.insert({command.address, command.port}, info);
        return m_silentSet ? QByteArray() : info + '\n';
    case Kind::SetPower:
        m_powerOn = command.powerOn;
        return m_silentSet ? QByteArray() : "INFO POWER " + command.arguments + '\n';
    case Kind::GetLoco:
        info = locoInfo(command.address);
        break;
    case Kind::GetTurnout:
        info = turnoutInfo(command.address, command.port);
        break;
    case Kind::GetPower:
        info = m_powerOn ? "INFO POWER ON" : "INFO POWER OFF";
        break;
    case Kind::GetFeedback:
        info = feedbackInfo(command.address);
        break;
    }
    // A device that never received a SET is unknown to us, which 0.7 reports as -2.
    return info.isEmpty() ? InvalidAnswer.toByteArray() : info + '\n';
}

bool SrcpResponder::setContact(const ContactSetting& setting)
{
    if (setting.module < 1 || setting.module > MaxModule || setting.contact < 1 ||
        setting.contact > ContactsPerModule) {
        return false;
    }
    const auto bit = static_cast<quint16>(1U << (setting.contact - 1));
    quint16& bits = m_contacts[setting.module];
    bits = setting.closed ? (bits | bit) : (bits & ~bit);
    return true;
}

bool SrcpResponder::contact(int module, int contact) const
{
    if (contact < 1 || contact > ContactsPerModule) {
        return false;
    }
    return (m_contacts.value(module) >> (contact - 1)) & 1U;
}

QByteArray SrcpResponder::feedbackInfo(int module) const
{
    QByteArray info = "INFO FB S88 " + QByteArray::number(module);
    for (int contactNumber = 1; contactNumber <= ContactsPerModule; ++contactNumber) {
        info += contact(module, contactNumber) ? " 1" : " 0";
    }
    return info;
}
