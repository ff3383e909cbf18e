#include "console_input.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

ConsoleInput::ConsoleInput(QObject* parent) : QObject(parent)
{
    // Started from a script, stdin may be closed altogether; then there is nothing to read.
    if (::fcntl(STDIN_FILENO, F_GETFD) == -1) {
        return;
    }
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ConsoleInput::readAvailable);
}

void ConsoleInput::readAvailable()
{
    char buffer[4096];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (count <= 0) {
        // End of input (or /dev/null): the server goes on serving until it is stopped.
        m_notifier->setEnabled(false);
        return;
    }
    const QList<LineReader::Line> lines = m_reader.feed(QByteArrayView(buffer, count), 0);
    for (const LineReader::Line& line : lines) {
        Q_EMIT lineRead(line.bytes);
    }
    if (m_reader.isOverlong()) {
        m_reader.reset();
    }
}
