// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "termination_signals.h"

#include <csignal>

#ifdef _WIN32

#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>

namespace {

// The console's handler runs on a thread the system starts for it, and may still be running
// while the object it reports to goes away: the mutex keeps the two apart.
QMutex consoleOwnerMutex;
TerminationSignals* consoleOwner = nullptr;

BOOL WINAPI onConsoleControl(DWORD event)
{
    const bool closing = event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT;
    const int signalNumber = event == CTRL_C_EVENT       ? SIGINT
                             : event == CTRL_BREAK_EVENT ? SIGBREAK
                                                         : SIGTERM;
    {
        const QMutexLocker lock(&consoleOwnerMutex);
        if (consoleOwner == nullptr) {
            return FALSE; // the system's default: end the process
        }
        TerminationSignals* owner = consoleOwner;
        QMetaObject::invokeMethod(
            owner, [owner, signalNumber] { Q_EMIT owner->received(signalNumber); },
            Qt::QueuedConnection);
    }
    if (closing) {
        // The system ends the process as soon as this returns. Waiting here lets main() shut
        // down in order; its exit ends this thread, or the system's own time limit does.
        ::Sleep(INFINITE);
    }
    return TRUE;
}

} // namespace

class TerminationSignals::Hook : public QAbstractNativeEventFilter
{
public:
    explicit Hook(TerminationSignals* owner) : m_owner(owner)
    {
        {
            const QMutexLocker lock(&consoleOwnerMutex);
            consoleOwner = owner;
        }
        ::SetConsoleCtrlHandler(&onConsoleControl, TRUE);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Hook() override
    {
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::instance()->removeNativeEventFilter(this);
        }
        ::SetConsoleCtrlHandler(&onConsoleControl, FALSE);
        const QMutexLocker lock(&consoleOwnerMutex);
        consoleOwner = nullptr;
    }
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

    [[nodiscard]] static std::unique_ptr<Hook> install(TerminationSignals* owner)
    {
        if (QCoreApplication::instance() == nullptr) {
            return nullptr;
        }
        return std::make_unique<Hook>(owner);
    }

    // A console program has no window to close, so a polite stop is a WM_CLOSE posted to its
    // main thread, with no window attached.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        const auto* windowsMessage = static_cast<const MSG*>(message);
        if (eventType != "windows_generic_MSG" || windowsMessage->hwnd != nullptr ||
            windowsMessage->message != WM_CLOSE) {
            return false;
        }
        Q_EMIT m_owner->received(SIGTERM);
        return true;
    }

private:
    TerminationSignals* m_owner;
};

#else

#include <QSocketNotifier>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written by the handler, read on the event loop: the only thing a handler may safely do.
int signalPipe[2] = {-1, -1};

void onSignal(int signalNumber)
{
    const int savedErrno = errno; // the interrupted code may be about to read it
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

class TerminationSignals::Hook
{
public:
    explicit Hook(QSocketNotifier* notifier) : m_notifier(notifier) {}
    ~Hook()
    {
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGINT, SIG_DFL);
        delete m_notifier;
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

    [[nodiscard]] static std::unique_ptr<Hook> install(TerminationSignals* owner)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
            return nullptr;
        }
        auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, owner);
        QObject::connect(notifier, &QSocketNotifier::activated, owner, [owner] {
            unsigned char byte = 0;
            if (::read(signalPipe[1], &byte, 1) == 1) {
                Q_EMIT owner->received(byte);
            }
        });
        struct sigaction action = {};
        action.sa_handler = &onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        return std::make_unique<Hook>(notifier);
    }

private:
    QSocketNotifier* m_notifier;
};

#endif

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), m_hook(Hook::install(this))
{
}

TerminationSignals::~TerminationSignals() = default;
