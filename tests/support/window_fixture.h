// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "recording_peer.h"
#include "handler_runner.h"
#include "loco_command.h"
#include "log_pane.h"
#include "tclient_socket.h"
#include "tform1.h"
#include "tstatus_bar.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <memory>

// A fresh window as the program starts it, with the locomotive state of program start, the
// operator's error display replaced by a recorder, every log entry recorded as the pane gets
// it, and a loopback peer on its own thread that records every byte the window sends.
struct WindowFixture
{
    QStringList shownMessages;
    QStringList logEntries;
    RecordingPeer peer;
    std::unique_ptr<TForm1> form;

    WindowFixture()
    {
        Loco = LocoState{};
        applicationHandlers().setDisplay(
            [this](const QString& message) { shownMessages << message; });
        form = std::make_unique<TForm1>();
        QObject::connect(form->Memo1, &LogPane::entryAppended, form.get(),
                         [this](const QString& entry) { logEntries << entry; });
    }

    ~WindowFixture()
    {
        form.reset();
        applicationHandlers().setDisplay({});
    }

    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    [[nodiscard]] QStringList log() const { return logEntries; }
    [[nodiscard]] QString status() const { return form->StatusBar1->panelText(); }

    // Points the edits at the peer, presses "verbinden" and waits until the window has been
    // told the connection is up.
    [[nodiscard]] bool connectToPeer()
    {
        if (peer.port() == 0 && !peer.listen()) {
            return false;
        }
        form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        form->PortEdit->setText(QString::number(peer.port()));
        const qsizetype before = log().size();
        form->VerbindenButton->click();
        return QTest::qWaitFor([&] {
            return form->ClientSocket1->Active() && log().size() >= before + 2 &&
                   peer.activeConnections() > 0;
        });
    }

    // Waits until the peer has received exactly `expected` in total.
    [[nodiscard]] bool peerReceived(const QByteArray& expected, int timeoutMs = 5000)
    {
        (void)QTest::qWaitFor([&] { return peer.receivedBytes().size() >= expected.size(); },
                              timeoutMs);
        return peer.receivedBytes() == expected;
    }
};
