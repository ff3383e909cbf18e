// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// StrToInt gets whatever an operator types or pastes. It must return the number a plain reading
// of the digits gives, or raise EConvertError naming the text; nothing else, never a crash.

#include "conversion.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

void require(bool condition, const char* what, const QString& text)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_str_to_int: %s for \"%s\"\n", what, qPrintable(text));
        std::abort();
    }
}

// A second, deliberately different reading of the accepted form: an optional sign, then ASCII
// digits, compared as text against the 32-bit bounds. Gives the canonical decimal, or nothing.
std::optional<QString> canonicalDecimal(const QString& text)
{
    QString digits = text;
    bool negative = false;
    if (digits.startsWith(u'+') || digits.startsWith(u'-')) {
        negative = digits.front() == u'-';
        digits.remove(0, 1);
    }
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    for (const QChar c : digits) {
        if (c.unicode() < u'0' || c.unicode() > u'9') {
            return std::nullopt;
        }
    }
    while (digits.size() > 1 && digits.front() == u'0') {
        digits.remove(0, 1);
    }
    const QString bound = negative ? QStringLiteral("2147483648") : QStringLiteral("2147483647");
    if (digits.size() > bound.size() || (digits.size() == bound.size() && digits > bound)) {
        return std::nullopt;
    }
    return (negative && digits != u"0" ? QStringLiteral("-") : QString()) + digits;
}

void check(const QString& text)
{
    const std::optional<QString> expected = canonicalDecimal(text);
    try {
        const int value = StrToInt(text);
        require(expected.has_value(), "accepted text that is no 32-bit integer", text);
        require(IntToStr(value) == *expected, "returned a value other than the digits say", text);
    } catch (const EConvertError& error) {
        require(!expected.has_value(), "rejected a valid integer", text);
        require(error.message() == QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text),
                "error message does not name the whole text", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    // Typed text arrives as UTF-8 or Latin-1 from the clipboard; raw UTF-16 also reaches code
    // units (lone surrogates, non-characters) that neither decoding produces.
    check(QString::fromUtf8(bytes, length));
    check(QString::fromLatin1(bytes, length));
    QString utf16(length / 2, Qt::Uninitialized);
    std::memcpy(utf16.data(), data, static_cast<std::size_t>(utf16.size()) * sizeof(QChar));
    check(utf16);

    if (size >= sizeof(std::int32_t)) {
        std::int32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        require(StrToInt(IntToStr(value)) == value, "IntToStr does not round-trip",
                IntToStr(value));
    }
    return 0;
}
