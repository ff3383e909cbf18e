// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QPair>

#include <optional>

// The layout state of the loopback server and its answers to SRCP 0.7 command lines.
// Plain data, no sockets: the peer's thread owns one instance, tests and a fuzzer drive it
// directly with raw bytes.
//
// Every answer ends in a single LF. Any line reader accepts that, and the window shows what it
// receives verbatim, so a CR would only be one more control character in its status line.
class SrcpResponder
{
public:
    // Addresses run from 1 to 9999; the bound keeps the state maps small under a flood.
    static constexpr int MaxAddress = 9999;
    static constexpr int MaxModule = 64;
    static constexpr int ContactsPerModule = 16;

    struct Command
    {
        enum class Kind {
            Empty, // a blank line: nothing was said, nothing is answered
            Invalid,
            SetLoco,
            SetTurnout,
            SetPower,
            GetLoco,
            GetTurnout,
            GetPower,
            GetFeedback,
        };
        Kind kind = Kind::Invalid;
        QByteArray protocol; // GL and GA
        int address = 0;     // GL and GA address, FB module
        int port = 0;        // GA output
        int action = 0;      // GA: 1 switches the output on, 0 off
        bool powerOn = false;
        QByteArray arguments; // a SET's fields after its object, normalised to single blanks
    };

    struct ContactSetting
    {
        int module = 0;
        int contact = 0;
        bool closed = false;
    };

    // Accepts a line with or without its line end; never fails, any bytes give a Command.
    [[nodiscard]] static Command parse(QByteArrayView line);
    // "FB <module> <contact> <0|1>", the console's way to close a contact.
    [[nodiscard]] static std::optional<ContactSetting> parseContactSetting(QByteArrayView line);
    [[nodiscard]] static QByteArray welcomeLine();

    // A strict 0.7 command port answers nothing to SET; the default echoes the new state so
    // an operator sees the effect.
    void setSilentSet(bool silent) { m_silentSet = silent; }

    // The answer with its line end, or empty when the line gets none.
    [[nodiscard]] QByteArray respond(QByteArrayView line);

    [[nodiscard]] bool setContact(const ContactSetting& setting);
    [[nodiscard]] bool contact(int module, int contact) const;
    // The INFO line (without line end) of the last SET, or empty before the first.
    [[nodiscard]] QByteArray locoInfo(int address) const { return m_locos.value(address); }
    [[nodiscard]] QByteArray turnoutInfo(int address, int port) const
    {
        return m_turnouts.value({address, port});
    }

private:
    [[nodiscard]] QByteArray feedbackInfo(int module) const;

    bool m_silentSet = false;
    bool m_powerOn = false;
    QMap<int, QByteArray> m_locos;
    QMap<QPair<int, int>, QByteArray> m_turnouts;
    QMap<int, quint16> m_contacts; // bit n-1 is contact n
};
