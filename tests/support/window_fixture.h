// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "handler_runner.h"
#include "loco_command.h"
#include "log_pane.h"
#include "recording_peer.h"
#include "tclient_socket.h"
#include "tform1.h"
#include "tstatus_bar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTcpSocket>
#include <QTest>

#include <memory>

// The lines the log pane shows for entries appended one after the other: each entry starts a
// line of its own and shows its own line ends, CR LF or a lone CR as one break.
[[nodiscard]] inline QStringList logLines(const QStringList& entries)
{
    QString text = entries.join(u'\n');
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text.split(u'\n');
}

// What the status line shows of text the server sent: one line, control characters visible.
[[nodiscard]] inline QString statusShowing(const QByteArray& bytes)
{
    return singleLineText(QString::fromLatin1(bytes));
}

// A fresh window as the program starts it, with the locomotive state of program start, the
// operator's error display replaced by a recorder, and a loopback peer on its own thread that
// records every byte the window sends.
struct WindowFixture
{
    QStringList shownMessages;
    RecordingPeer peer;
    std::unique_ptr<TForm1> form;

    WindowFixture()
    {
        Loco = LocoState{};
        applicationHandlers().setDisplay(
            [this](const QString& message) { shownMessages << message; });
        form = std::make_unique<TForm1>();
    }

    ~WindowFixture()
    {
        form.reset();
        applicationHandlers().setDisplay({});
    }

    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    // The log pane's text as the operator reads it. The pane puts new entries into the view
    // on the next turn of the event loop, with an update it posts to itself; that update is
    // delivered first, and nothing else the loop would do.
    [[nodiscard]] QString logText() const
    {
        QCoreApplication::sendPostedEvents(form->Memo1, QEvent::MetaCall);
        return form->Memo1->toPlainText();
    }
    // The same, one string per line, none while the pane is empty.
    [[nodiscard]] QStringList log() const
    {
        const QString text = logText();
        return text.isEmpty() ? QStringList() : text.split(u'\n');
    }
    // The status line's whole text, as its tooltip and a screen reader give it.
    [[nodiscard]] QString status() const { return form->StatusBar1->panelLine(); }
    [[nodiscard]] QLabel* statusPanel() const
    {
        return form->StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel0"));
    }

    // Points the edits at the peer, presses "verbinden" and waits until the window has been
    // told the connection is up.
    [[nodiscard]] bool connectToPeer()
    {
        if (peer.port() == 0 && !peer.listen()) {
            return false;
        }
        form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        form->PortEdit->setText(QString::number(peer.port()));
        const QString connected = QStringLiteral("Client  -   mit Server verbunden");
        const qsizetype before = log().count(connected);
        form->VerbindenButton->click();
        return QTest::qWaitFor([&] {
            return form->ClientSocket1->Active() && log().count(connected) > before &&
                   peer.activeConnections() > 0;
        });
    }

    // With the peer's reading off: sends until its receive window and the system's buffers are
    // full and Qt's own buffer holds the rest, so that the lines that follow have nowhere to go,
    // as behind a server busy for long. False if the system never stopped taking data.
    [[nodiscard]] bool fillPeerWindow()
    {
        auto* socket = form->ClientSocket1->findChild<QTcpSocket*>();
        if (socket == nullptr) {
            return false;
        }
        const QString filler =
            (QStringLiteral("GET FB S88 ") + QString(500, u'9') + QStringLiteral(" \n"))
                .repeated(256);
        for (int block = 0; block < 512 && socket->bytesToWrite() == 0; ++block) {
            form->ClientSocket1->SendText(filler);
        }
        return socket->bytesToWrite() > 0;
    }

    // Waits until the peer has received exactly `expected` in total.
    [[nodiscard]] bool peerReceived(const QByteArray& expected, int timeoutMs = 5000)
    {
        (void)QTest::qWaitFor([&] { return peer.receivedBytes().size() >= expected.size(); },
                              timeoutMs);
        return peer.receivedBytes() == expected;
    }
};
