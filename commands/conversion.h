#pragma once

#include <QString>

#include <stdexcept>

// Raised for text that is no integer; its message is shown to the operator as it is.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const QString& message)
        : std::runtime_error(message.toUtf8().toStdString())
    {
    }
};

// Optionally signed decimal digits within the signed 32-bit range; anything else, blanks
// included, raises EConvertError naming the text.
[[nodiscard]] int StrToInt(const QString& text);

// Plain decimal, a minus sign for negative values, no leading zeros.
[[nodiscard]] QString IntToStr(int value);
