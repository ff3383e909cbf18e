#pragma once

#include <QString>

#include <stdexcept>

// Raised for field text that would break a command line apart.
class ELineBreakInField : public std::runtime_error
{
public:
    explicit ELineBreakInField(const QString& message)
        : std::runtime_error(message.toUtf8().toStdString())
    {
    }
};

// A field's text goes into the middle of a command line; a CR or LF in it would end that line
// early and put whatever follows onto the wire as a command of its own.
void requireSingleLine(const QString& text, const QString& fieldName);
