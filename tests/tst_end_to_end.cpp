// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "server_process.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QTest>

// The real window, offscreen, against the bundled server running as a process of its own:
// every kind of command gets the server's answer into the status line.
class tst_EndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void initTestCase()
    {
        if (emulatorCannotStartProcesses()) {
            QSKIP("This emulator cannot start the server as a process of its own.");
        }
        server = std::make_unique<ServerProcess>(
            QStringList{QStringLiteral("--contact"), QStringLiteral("1:5:1")});
        port = server->waitForPort();
        QVERIFY(port != 0);
    }

    void cleanupTestCase() { server.reset(); }

    void commandsGetTheServersAnswer_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("answer");
        QTest::newRow("turnout pulse") << "gerade"
                                       << "INFO GA M 7 0 0 -1\n";
        QTest::newRow("locomotive") << "function"
                                    << "INFO GL M1 1 1 0 100 1 4 0 0 0 0\n";
        QTest::newRow("power on") << "power on"
                                  << "INFO POWER ON\n";
        QTest::newRow("power off") << "power off"
                                   << "INFO POWER OFF\n";
        QTest::newRow("feedback") << "abfragen"
                                  << "INFO FB S88 1 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0\n";
    }
    void commandsGetTheServersAnswer()
    {
        QFETCH(QString, action);
        QFETCH(QString, answer);
        WindowFixture w;
        TForm1& f = *w.form;
        f.Hostedit->setText(QStringLiteral("127.0.0.1"));
        f.PortEdit->setText(QString::number(port));
        f.VerbindenButton->click();
        QTRY_VERIFY(f.ClientSocket1->Active());
        QTRY_VERIFY(w.status().contains(QStringLiteral("SRCP 0.7.3")));
        f.SendenEdit->setText(QStringLiteral("7"));

        if (action == u"gerade") {
            f.gerade_Button->click();
        } else if (action == u"function") {
            f.Button5->click();
        } else if (action == u"power on") {
            f.Button4->click();
        } else if (action == u"power off") {
            f.Button3->click();
        } else {
            f.Button1->click();
        }
        // Each read replaces the status line; the answer to the last line is the one that stays.
        QTRY_VERIFY2(w.status().endsWith(singleLineText(answer)), qPrintable(w.status()));
        QVERIFY(w.shownMessages.isEmpty());
    }

private:
    std::unique_ptr<ServerProcess> server;
    quint16 port = 0;
};

QTEST_MAIN(tst_EndToEnd)
#include "tst_end_to_end.moc"
