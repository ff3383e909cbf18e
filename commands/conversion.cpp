// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "conversion.h"

#include <cstdint>
#include <limits>

namespace {
[[noreturn]] void throwNotAnInteger(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
}
} // namespace

int StrToInt(const QString& text)
{
    qsizetype position = 0;
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        position = 1;
    }
    if (position == text.size()) {
        throwNotAnInteger(text);
    }
    // One past the largest magnitude, so INT_MIN still fits while accumulating.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; position < text.size(); ++position) {
        const char16_t c = text.at(position).unicode();
        if (c < u'0' || c > u'9') {
            throwNotAnInteger(text);
        }
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > limit) {
            throwNotAnInteger(text);
        }
    }
    if (!negative && magnitude == limit) {
        throwNotAnInteger(text);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QString IntToStr(int value)
{
    return QString::number(value);
}
