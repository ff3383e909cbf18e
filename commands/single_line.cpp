// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "single_line.h"

void requireSingleLine(const QString& text, const QString& fieldName)
{
    if (text.contains(u'\r') || text.contains(u'\n')) {
        throw ELineBreakInField(
            QStringLiteral("Das Feld \"%1\" enthält einen Zeilenumbruch; es wird nichts gesendet.")
                .arg(fieldName));
    }
}
