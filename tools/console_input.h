#pragma once

#include "line_reader.h"

#include <QObject>

class QSocketNotifier;

// Lines typed on (or piped into) standard input, read without blocking the event loop.
class ConsoleInput : public QObject
{
    Q_OBJECT

public:
    explicit ConsoleInput(QObject* parent = nullptr);

Q_SIGNALS:
    void lineRead(const QByteArray& line);

private:
    void readAvailable();

    QSocketNotifier* m_notifier = nullptr;
    LineReader m_reader;
};
