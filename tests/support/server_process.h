// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// How long a test waits for the server to say or do what it expects: a deadline that only a
// server that never does it reaches, not a bound on its speed, so an emulated server beside a
// parallel suite has all the time it takes.
inline constexpr int ServerWaitMs = 60000;

// qemu-user before 8.0 refuses the clone flag (CLONE_PIDFD) that QProcess starts programs with,
// so a cross-built suite run under it cannot start the server as a process of its own.
inline bool emulatorCannotStartProcesses()
{
#ifdef KOLVO_TEST_EMULATOR
    QProcess probe;
    probe.start(QStringLiteral(KOLVO_TEST_EMULATOR),
                {QStringLiteral(KOLVO_LOOPBACK_SERVER), QStringLiteral("--version")});
    const bool started = probe.waitForStarted(5000);
    probe.waitForFinished(5000);
    return !started && probe.error() == QProcess::FailedToStart;
#else
    return false;
#endif
}

// The built server as a separate process on a port the system picks, stopped by its pid.
class ServerProcess
{
public:
    explicit ServerProcess(const QStringList& options)
    {
        QStringList arguments{QStringLiteral("--port"), QStringLiteral("0")};
#ifdef KOLVO_TEST_EMULATOR
        // A cross-built server runs under the same emulator as the test that starts it.
        m_process.setProgram(QStringLiteral(KOLVO_TEST_EMULATOR));
        arguments.prepend(QStringLiteral(KOLVO_LOOPBACK_SERVER));
#else
        m_process.setProgram(QStringLiteral(KOLVO_LOOPBACK_SERVER));
#endif
        m_process.setArguments(arguments + options);
        m_process.start();
    }
    ~ServerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The port from the first line it prints, 0 if it never started listening.
    [[nodiscard]] quint16 waitForPort()
    {
        static const QRegularExpression listening(
            QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
        const QDeadlineTimer deadline(ServerWaitMs);
        while (!m_output.contains('\n') && waitForOutput(deadline)) {
        }
        const auto match = listening.match(QString::fromLatin1(m_output));
        return match.hasMatch() ? match.captured(1).toUShort() : 0;
    }

    // Waits until the printed output holds the text; returns all output so far.
    QByteArray outputContaining(QByteArrayView text)
    {
        const QDeadlineTimer deadline(ServerWaitMs);
        while (!m_output.contains(text) && waitForOutput(deadline)) {
        }
        return m_output;
    }

    [[nodiscard]] QProcess& process()
    {
        return m_process;
    }

private:
    // Takes in what the server printed since; false once the deadline has passed without any.
    bool waitForOutput(const QDeadlineTimer& deadline)
    {
        if (m_process.bytesAvailable() == 0 &&
            !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
        readOutput();
        return true;
    }

    // The C library on Windows ends each printed line with CR LF. (The server shows a CR it
    // received as "\r", so any CR here is the line end's.)
    void readOutput()
    {
        m_output += m_process.readAllStandardOutput();
        m_output.replace("\r\n", "\n");
    }

    QProcess m_process;
    QByteArray m_output;
};
