// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <stdexcept>

// A failure to show to the operator. The message is kept as text of its own: what() is a C
// string and would end at a NUL that an operator pasted into a field.
class EOperatorError : public std::runtime_error
{
public:
    explicit EOperatorError(const QString& text)
        : std::runtime_error(text.toUtf8().toStdString()), m_text(text)
    {
    }

    [[nodiscard]] const QString& message() const { return m_text; }

private:
    QString m_text;
};
