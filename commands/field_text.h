// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "eoperator_error.h"

#include <QString>

// Raised for field text that a command line cannot carry as typed.
class EUnsendableFieldText : public EOperatorError
{
public:
    using EOperatorError::EOperatorError;
};

// A field's text goes into the middle of a command line, which travels as 8-bit text (Latin-1).
// A CR or LF would end that line early and put whatever follows onto the wire as a command of
// its own; a character beyond Latin-1 would reach the server as some other byte than the log
// shows. Either way the whole text is refused, naming the field and what it holds.
void requireSendableFieldText(const QString& text, const QString& fieldName);
