// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The loopback server's way in: raw bytes from a client, cut into lines by LineReader and
// answered by SrcpResponder. Whatever arrives, framing must not depend on how TCP split the
// stream, every answer must be one clean line, and nothing but a valid SET may change the state.
//
// Input: the first byte picks the answering mode (bit 7: silent SET) and the chunk length the
// stream is fed in (low bits); the rest is the stream. Seeds stay readable text after one byte.

#include "line_reader.h"
#include "line_reader_rest.h"
#include "srcp_responder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSet>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using Kind = SrcpResponder::Command::Kind;

void require(bool condition, const char* what, QByteArrayView line = {})
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_srcp_lines: %s; line: \"%s\"\n", what,
                     line.toByteArray().toPercentEncoding(" ").constData());
        std::abort();
    }
}

struct Framing
{
    QList<QByteArray> lines;
    QByteArray pending;
    bool overlong = false;
};

Framing readInChunks(QByteArrayView stream, qsizetype chunkLength)
{
    LineReader reader;
    Framing framing;
    for (qsizetype start = 0; start < stream.size(); start += chunkLength) {
        const QByteArrayView chunk = stream.sliced(start, qMin(chunkLength, stream.size() - start));
        for (const LineReader::Line& line : reader.feed(chunk, start)) {
            framing.lines.append(line.bytes);
        }
    }
    framing.pending = heldBackBytes(reader);
    framing.overlong = reader.isOverlong();
    return framing;
}

qsizetype contentLength(QByteArrayView lineWithoutLf)
{
    return lineWithoutLf.size() - (lineWithoutLf.endsWith('\r') ? 1 : 0);
}

// A plain reading of the framing to compare the reader against: lines end at LF, and the first
// line (complete or not) whose content exceeds the limit ends the stream.
Framing referenceFraming(QByteArrayView stream)
{
    Framing framing;
    qsizetype start = 0;
    while (start < stream.size()) {
        const qsizetype lf = stream.indexOf('\n', start);
        const qsizetype end = lf < 0 ? stream.size() : lf;
        if (contentLength(stream.sliced(start, end - start)) > LineReader::MaxLineLength) {
            framing.overlong = true;
            return framing;
        }
        if (lf < 0) {
            framing.pending = stream.sliced(start).toByteArray();
            return framing;
        }
        framing.lines.append(stream.sliced(start, lf + 1 - start).toByteArray());
        start = lf + 1;
    }
    return framing;
}

void checkFraming(const Framing& actual, const Framing& expected, const char* how)
{
    if (actual.lines != expected.lines || actual.pending != expected.pending ||
        actual.overlong != expected.overlong) {
        std::fprintf(stderr, "fuzz_srcp_lines: framing differs when fed %s\n", how);
        std::abort();
    }
}

bool isBlank(QByteArrayView line)
{
    for (const char c : LineReader::withoutLineEnd(line)) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

// One line, LF-terminated, printable ASCII: a client's control bytes never come back to it.
void checkAnswerShape(const QByteArray& answer, QByteArrayView line)
{
    if (answer.isEmpty()) {
        return;
    }
    require(answer.startsWith("INFO ") && answer.endsWith('\n'), "answer is no INFO line", line);
    for (qsizetype i = 0; i + 1 < answer.size(); ++i) {
        require(answer[i] >= 0x20 && answer[i] < 0x7f, "answer holds a control byte", line);
    }
}

QByteArray getLine(const SrcpResponder::Command& set)
{
    const QByteArray address = QByteArray::number(set.address);
    switch (set.kind) {
    case Kind::SetLoco:
        return "GET GL " + address + '\n';
    case Kind::SetTurnout:
        return "GET GA " + address + ' ' + QByteArray::number(set.port) + '\n';
    default:
        return "GET POWER\n";
    }
}

QByteArray setLine(const SrcpResponder::Command& set)
{
    const QByteArray object = set.kind == Kind::SetLoco      ? "GL"
                              : set.kind == Kind::SetTurnout ? "GA"
                                                             : "POWER";
    return "SET " + object + ' ' + set.arguments + '\n';
}

bool isSet(Kind kind)
{
    return kind == Kind::SetLoco || kind == Kind::SetTurnout || kind == Kind::SetPower;
}

// What a client asking for the track power hears, asked of a copy so the state stays as it is.
QByteArray powerAnswer(const SrcpResponder& responder)
{
    SrcpResponder asked = responder;
    return asked.respond("GET POWER\n");
}

void checkSet(SrcpResponder& responder, bool silentSet, const SrcpResponder::Command& command,
              const QByteArray& answer, QByteArrayView line)
{
    if (command.kind != Kind::SetPower) {
        require(command.address >= 1 && command.address <= SrcpResponder::MaxAddress,
                "accepted an address outside the layout", line);
    }
    // What a SET echoes is what a later GET reports, in either answering mode.
    const QByteArray reported = responder.respond(getLine(command));
    require(silentSet ? answer.isEmpty() : answer == reported, "SET echo and GET disagree", line);
    require(reported != "INFO -2\n", "GET after SET reports an unknown device", line);

    // The normalised arguments must read back as the same command.
    const SrcpResponder::Command again = SrcpResponder::parse(setLine(command));
    require(again.kind == command.kind && again.address == command.address &&
                again.port == command.port && again.arguments == command.arguments &&
                again.powerOn == command.powerOn,
            "normalised SET does not parse back to itself", line);
}

void collectNumbers(QByteArrayView line, QSet<int>& numbers)
{
    for (const QByteArray& token : line.toByteArray().simplified().split(' ')) {
        bool ok = false;
        const int value = token.toInt(&ok);
        if (ok && value >= 1 && value <= SrcpResponder::MaxAddress) {
            numbers.insert(value);
        }
    }
}

void checkSameState(const SrcpResponder& actual, const SrcpResponder& expected,
                    const QSet<int>& addresses)
{
    require(powerAnswer(actual) == powerAnswer(expected), "power changed without a SET");
    for (const int address : addresses) {
        require(actual.locoInfo(address) == expected.locoInfo(address) &&
                    actual.turnoutInfo(address, 0) == expected.turnoutInfo(address, 0) &&
                    actual.turnoutInfo(address, 1) == expected.turnoutInfo(address, 1),
                "a device changed without a SET");
    }
    for (int module = 1; module <= SrcpResponder::MaxModule; ++module) {
        for (int contact = 1; contact <= SrcpResponder::ContactsPerModule; ++contact) {
            require(actual.contact(module, contact) == expected.contact(module, contact),
                    "a contact changed without the console");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const bool silentSet = (data[0] & 0x80) != 0;
    const qsizetype chunkLength = (data[0] & 0x7f) + 1;
    const QByteArrayView stream(reinterpret_cast<const char*>(data) + 1,
                                static_cast<qsizetype>(size) - 1);

    const Framing chunked = readInChunks(stream, chunkLength);
    checkFraming(chunked, referenceFraming(stream), "in chunks");
    checkFraming(readInChunks(stream, 1), chunked, "byte by byte");
    for (const QByteArray& line : chunked.lines) {
        require(line.indexOf('\n') == line.size() - 1, "line is not cut at its LF", line);
    }

    SrcpResponder responder;
    SrcpResponder onlySets; // receives only the lines that parse as SET
    responder.setSilentSet(silentSet);
    onlySets.setSilentSet(silentSet);
    QSet<int> addresses;
    for (const QByteArray& line : chunked.lines) {
        collectNumbers(line, addresses);
        const SrcpResponder::Command command = SrcpResponder::parse(line);
        require((command.kind == Kind::Empty) == isBlank(line), "blank line misjudged", line);

        const QByteArray answer = responder.respond(line);
        checkAnswerShape(answer, line);
        const bool quiet = command.kind == Kind::Empty || (silentSet && isSet(command.kind));
        require(answer.isEmpty() == quiet, "answer given or missing wrongly", line);

        if (isSet(command.kind)) {
            (void)onlySets.respond(line);
            checkSet(responder, silentSet, command, answer, line);
        } else if (command.kind != Kind::Empty && command.kind != Kind::Invalid) {
            require(responder.respond(line) == answer, "GET answers differ when repeated", line);
        }

        if (const auto setting = SrcpResponder::parseContactSetting(line)) {
            require(responder.setContact(*setting) && onlySets.setContact(*setting),
                    "console contact setting refused after parsing", line);
            require(responder.contact(setting->module, setting->contact) == setting->closed,
                    "contact does not hold the value set", line);
        }
        require(powerAnswer(responder) == powerAnswer(onlySets), "power changed without a SET",
                line);
    }
    checkSameState(responder, onlySets, addresses);
    return 0;
}
