// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "eoperator_error.h"

#include <QString>

// Raised for field text that would break a command line apart.
class ELineBreakInField : public EOperatorError
{
public:
    using EOperatorError::EOperatorError;
};

// A field's text goes into the middle of a command line; a CR or LF in it would end that line
// early and put whatever follows onto the wire as a command of its own.
void requireSingleLine(const QString& text, const QString& fieldName);
