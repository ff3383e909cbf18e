// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "field_text.h"

void requireSendableFieldText(const QString& text, const QString& fieldName)
{
    if (text.contains(u'\r') || text.contains(u'\n')) {
        throw EUnsendableFieldText(
            QStringLiteral("Das Feld \"%1\" enthält einen Zeilenumbruch; es wird nichts gesendet.")
                .arg(fieldName));
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() <= 0xff) {
            continue;
        }
        // A character outside the Basic Multilingual Plane is two code units: name it whole.
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const char32_t codePoint =
            pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        // The code point tells apart what looks alike or shows nothing, such as a zero-width
        // space pasted along with a number.
        const QString code =
            QString::number(static_cast<uint>(codePoint), 16).toUpper().rightJustified(4, u'0');
        throw EUnsendableFieldText(
            QStringLiteral("Das Feld \"%1\" enthält das Zeichen \"%2\" (U+%3), das die Verbindung "
                           "nicht übertragen kann; es wird nichts gesendet.")
                .arg(fieldName, text.mid(i, pair ? 2 : 1), code));
    }
}
