// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "console_input.h"

#ifdef _WIN32

#include <windows.h>

#include <QMutex>
#include <QMutexLocker>

#include <thread>

// Standard input on Windows is a console, a pipe or a file, and none of them can be watched by
// the event loop. A thread of its own blocks in ReadFile and hands each chunk over, queued.
//
// A read blocked on a console or a pipe cannot be woken reliably, so the thread is not joined:
// it outlives its ConsoleInput only as long as that read, touches nothing but the shared
// state below, and ends with the process. ReadFile, not the C library: a thread stuck in fread
// would hold stdin's lock, which exit() wants.
class ConsoleInput::Source
{
public:
    Source(HANDLE input, ConsoleInput* receiver) : m_shared(std::make_shared<Shared>())
    {
        m_shared->receiver = receiver;
        std::thread(&Source::readUntilEnd, input, m_shared).detach();
    }
    ~Source()
    {
        const QMutexLocker lock(&m_shared->mutex);
        m_shared->receiver = nullptr;
    }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    [[nodiscard]] static std::unique_ptr<Source> open(ConsoleInput* receiver)
    {
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        // Started without one (a service, a detached process), there is nothing to read.
        if (input == nullptr || input == INVALID_HANDLE_VALUE) {
            return nullptr;
        }
        return std::make_unique<Source>(input, receiver);
    }

private:
    struct Shared
    {
        QMutex mutex;
        ConsoleInput* receiver = nullptr;
    };

    static void readUntilEnd(HANDLE input, std::shared_ptr<Shared> shared)
    {
        char buffer[4096];
        DWORD count = 0;
        // Zero bytes: end of a pipe or file, or Ctrl+Z on the console. The server goes on
        // serving until it is stopped.
        while (::ReadFile(input, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            const QMutexLocker lock(&shared->mutex);
            ConsoleInput* receiver = shared->receiver;
            if (receiver == nullptr) {
                return;
            }
            QMetaObject::invokeMethod(
                receiver,
                [receiver, chunk = QByteArray(buffer, qsizetype(count))] { receiver->take(chunk); },
                Qt::QueuedConnection);
        }
    }

    std::shared_ptr<Shared> m_shared;
};

#else

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

class ConsoleInput::Source
{
public:
    explicit Source(QSocketNotifier* notifier) : m_notifier(notifier) {}
    ~Source() { delete m_notifier; }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    [[nodiscard]] static std::unique_ptr<Source> open(ConsoleInput* receiver)
    {
        // Started from a script, stdin may be closed altogether; then there is nothing to read.
        if (::fcntl(STDIN_FILENO, F_GETFD) == -1) {
            return nullptr;
        }
        auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, receiver);
        QObject::connect(notifier, &QSocketNotifier::activated, receiver,
                         [receiver, notifier] { readAvailable(receiver, notifier); });
        return std::make_unique<Source>(notifier);
    }

private:
    static void readAvailable(ConsoleInput* receiver, QSocketNotifier* notifier)
    {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
            return;
        }
        if (count <= 0) {
            // End of input (or /dev/null): the server goes on serving until it is stopped.
            notifier->setEnabled(false);
            return;
        }
        receiver->take(QByteArrayView(buffer, count));
    }

    QSocketNotifier* m_notifier;
};

#endif

ConsoleInput::ConsoleInput(QObject* parent) : QObject(parent), m_source(Source::open(this)) {}

ConsoleInput::~ConsoleInput() = default;

void ConsoleInput::take(QByteArrayView chunk)
{
    const QList<LineReader::Line> lines = m_reader.feed(chunk, 0);
    for (const LineReader::Line& line : lines) {
        Q_EMIT lineRead(line.bytes);
    }
    if (m_reader.isOverlong()) {
        m_reader.reset();
    }
}
