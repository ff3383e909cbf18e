// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "line_reader.h"

#include <QObject>

#include <memory>

// Lines typed on (or piped into) standard input, read without blocking the event loop.
class ConsoleInput : public QObject
{
    Q_OBJECT

public:
    explicit ConsoleInput(QObject* parent = nullptr);
    ~ConsoleInput() override;
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

Q_SIGNALS:
    void lineRead(const QByteArray& line);

private:
    class Source; // the platform's reader of standard input
    void take(QByteArrayView chunk);

    LineReader m_reader;
    std::unique_ptr<Source> m_source; // after the reader: gone first, it feeds no more
};
