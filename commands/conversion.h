// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "eoperator_error.h"

#include <QString>

// Raised for text that is no integer; its message is shown to the operator as it is.
class EConvertError : public EOperatorError
{
public:
    using EOperatorError::EOperatorError;
};

// Optionally signed decimal digits within the signed 32-bit range; anything else, blanks
// included, raises EConvertError naming the text.
[[nodiscard]] int StrToInt(const QString& text);

// Plain decimal, a minus sign for negative values, no leading zeros.
[[nodiscard]] QString IntToStr(int value);
