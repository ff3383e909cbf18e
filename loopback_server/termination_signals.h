// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <memory>

// Turns the requests to stop into a signal on the event loop, so the server shuts its thread
// down and exits 0 instead of dying in the middle of a write.
//
// POSIX: SIGTERM and SIGINT. Windows has no such signals for a process to send another; there
// Ctrl+C and Ctrl+Break in the console come as SIGINT and SIGBREAK, and closing the console
// window, logoff, shutdown and a WM_CLOSE posted to the main thread (what QProcess::terminate()
// sends) come as SIGTERM.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

Q_SIGNALS:
    void received(int signalNumber);

private:
    class Hook; // the platform's handlers, installed while it lives
    std::unique_ptr<Hook> m_hook;
};
