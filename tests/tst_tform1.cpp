// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "legibility.h"
#include "tclient_socket_access.h"
#include "tradio_group.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTcpSocket>

class tst_TForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void stateAfterStart()
    {
        WindowFixture w;
        TForm1& f = *w.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Testclient für Kolvo-Server"));
        QCOMPARE(f.RadioGroup1->ItemIndex(), 0);
        QCOMPARE(f.RadioGroup4->ItemIndex(), 0);
        QCOMPARE(f.RadioGroup2->ItemIndex(), 0);
        QCOMPARE(f.RadioGroup3->ItemIndex(), 0);
        QVERIFY(f.RadioGroup2->isHidden());
        QVERIFY(!f.RadioGroup3->isHidden());
        QVERIFY(f.Button2->isEnabled());
        QCOMPARE(f.ScrollBar1->value(), 100);
        QCOMPARE(f.ScrollBar1->minimum(), 0);
        QCOMPARE(f.ScrollBar1->maximum(), 100);
        QCOMPARE(f.ClientSocket1->Host(), QStringLiteral("localhost"));
        QCOMPARE(TClientSocketAccess::port(*f.ClientSocket1), 12345);
        QVERIFY(!f.ClientSocket1->Active());
        QVERIFY(w.log().isEmpty());
        QVERIFY(f.Memo1->toPlainText().isEmpty());
        QCOMPARE(w.status(), QString());
        QCOMPARE(Loco.LocoDirectionFlag, 1);
        QCOMPARE(Loco.LocoDirection, QStringLiteral("1 "));
        QCOMPARE(Loco.LocoFunction, QStringLiteral("0 "));
        QCOMPARE(Loco.LocoProtocol, QString());
    }

    void controlsCarryTheirNamesAndTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label1") << "Label1"
                                << "Form1"
                                << "Portnummer";
        QTest::newRow("PortEdit") << "PortEdit"
                                  << "Form1"
                                  << "12345";
        QTest::newRow("Label3") << "Label3"
                                << "Form1"
                                << "Host";
        QTest::newRow("Hostedit") << "Hostedit"
                                  << "Form1"
                                  << "localhost";
        QTest::newRow("VerbindenButton") << "VerbindenButton"
                                         << "Form1"
                                         << "verbinden";
        QTest::newRow("TrennenButton") << "TrennenButton"
                                       << "Form1"
                                       << "trennen";
        QTest::newRow("Button4") << "Button4"
                                 << "Form1"
                                 << "Spannung an";
        QTest::newRow("Button3") << "Button3"
                                 << "Form1"
                                 << "Spannung aus";
        QTest::newRow("GroupBox1") << "GroupBox1"
                                   << "Form1"
                                   << "";
        QTest::newRow("Label2") << "Label2"
                                << "GroupBox1"
                                << "Weichennr.";
        QTest::newRow("SendenEdit") << "SendenEdit"
                                    << "GroupBox1"
                                    << "1";
        QTest::newRow("gerade_Button") << "gerade_Button"
                                       << "GroupBox1"
                                       << "gerade";
        QTest::newRow("abbiegen_Button") << "abbiegen_Button"
                                         << "GroupBox1"
                                         << "abbiegen";
        QTest::newRow("RadioGroup4") << "RadioGroup4"
                                     << "GroupBox1"
                                     << "Protokoll";
        QTest::newRow("GroupBox2") << "GroupBox2"
                                   << "Form1"
                                   << "Rückmeldemodul";
        QTest::newRow("Rueck_edit") << "Rueck_edit"
                                    << "GroupBox2"
                                    << "1";
        QTest::newRow("Button1") << "Button1"
                                 << "GroupBox2"
                                 << "abfragen";
        QTest::newRow("GroupBox3") << "GroupBox3"
                                   << "Form1"
                                   << "Loksteuerung";
        QTest::newRow("Label4") << "Label4"
                                << "GroupBox3"
                                << "Loknummer";
        QTest::newRow("Loknr_edit") << "Loknr_edit"
                                    << "GroupBox3"
                                    << "1";
        QTest::newRow("Label5") << "Label5"
                                << "GroupBox3"
                                << "Funktion";
        QTest::newRow("Button5") << "Button5"
                                 << "GroupBox3"
                                 << "off";
        QTest::newRow("Button2") << "Button2"
                                 << "GroupBox3"
                                 << "Richtung wechseln";
        QTest::newRow("RadioGroup1") << "RadioGroup1"
                                     << "GroupBox3"
                                     << "Protokoll";
        QTest::newRow("RadioGroup2") << "RadioGroup2"
                                     << "GroupBox3"
                                     << "Dekoder";
        QTest::newRow("RadioGroup3") << "RadioGroup3"
                                     << "GroupBox3"
                                     << "Dekoder";
        QTest::newRow("ScrollBar1") << "ScrollBar1"
                                    << "GroupBox3"
                                    << "";
        QTest::newRow("Memo1") << "Memo1"
                               << "Form1"
                               << "";
        QTest::newRow("StatusBar1") << "StatusBar1"
                                    << "Form1"
                                    << "";
    }
    void controlsCarryTheirNamesAndTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, parentName);
        QFETCH(QString, text);
        WindowFixture w;
        auto* control = w.form->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), parentName);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            QCOMPARE(edit->text(), text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QCOMPARE(button->text(), text);
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            QCOMPARE(group->title(), text);
        }
    }

    void radioGroupItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("columns");
        QTest::newRow("RadioGroup1") << "RadioGroup1" << QStringList{"Märklin", "DCC"} << 1;
        QTest::newRow("RadioGroup2")
            << "RadioGroup2" << QStringList{"NB", "N1", "N2", "N3", "N4"} << 5;
        QTest::newRow("RadioGroup3") << "RadioGroup3" << QStringList{"normal", "erweitert"} << 2;
        QTest::newRow("RadioGroup4") << "RadioGroup4" << QStringList{"Märklin", "DCC"} << 1;
    }
    void radioGroupItems()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, items);
        QFETCH(int, columns);
        WindowFixture w;
        auto* group = w.form->findChild<TRadioGroup*>(name);
        QVERIFY(group);
        QCOMPARE(group->Items(), items);
        // The columns as the buttons stand in the box.
        QSet<int> columnLefts;
        for (const QRadioButton* button : group->findChildren<QRadioButton*>()) {
            columnLefts.insert(button->x());
        }
        QCOMPARE(columnLefts.size(), columns);
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(group->button(i)->text(), items.at(i));
        }
        // Items of several columns share one row; items of one column stack.
        if (columns > 1) {
            QCOMPARE(group->button(1)->y(), group->button(0)->y());
            QVERIFY(group->button(1)->x() > group->button(0)->x());
        } else {
            QVERIFY(group->button(1)->y() > group->button(0)->y());
        }
    }

    void radioGroupIndexCanBeCleared()
    {
        WindowFixture w;
        TRadioGroup* group = w.form->RadioGroup2;
        group->setItemIndex(-1);
        QCOMPARE(group->ItemIndex(), -1);
        group->setItemIndex(3);
        QCOMPARE(group->ItemIndex(), 3);
        group->setItemIndex(7);
        QCOMPARE(group->ItemIndex(), -1);
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        const QList<std::pair<const char*, QRect>> table = {
            {"Label1", {8, 8, 56, 13}},
            {"PortEdit", {8, 24, 73, 21}},
            {"Label3", {8, 48, 22, 13}},
            {"Hostedit", {8, 64, 73, 21}},
            {"VerbindenButton", {8, 96, 121, 25}},
            {"TrennenButton", {8, 120, 121, 25}},
            {"Button4", {8, 144, 121, 25}},
            {"Button3", {8, 168, 121, 25}},
            {"GroupBox2", {8, 200, 121, 89}},
            {"Rueck_edit", {16, 24, 81, 21}},
            {"Button1", {16, 56, 81, 25}},
            {"GroupBox1", {152, 8, 233, 89}},
            {"Label2", {16, 16, 55, 13}},
            {"SendenEdit", {88, 16, 49, 21}},
            {"gerade_Button", {8, 48, 73, 25}},
            {"abbiegen_Button", {80, 48, 73, 25}},
            {"RadioGroup4", {160, 16, 65, 65}},
            {"GroupBox3", {152, 104, 233, 185}},
            {"Label4", {8, 24, 55, 13}},
            {"Label5", {80, 24, 41, 13}},
            {"Loknr_edit", {8, 48, 57, 21}},
            {"Button5", {72, 48, 41, 25}},
            {"Button2", {8, 80, 105, 25}},
            {"RadioGroup1", {128, 16, 65, 97}},
            {"ScrollBar1", {201, 8, 16, 121}},
            {"RadioGroup2", {8, 136, 217, 33}},
            {"RadioGroup3", {8, 136, 217, 33}},
            {"Memo1", {400, 16, 153, 225}},
            {"StatusBar1", {0, 304, 600, 19}},
        };
        for (const auto& [name, rect] : table) {
            QTest::newRow(name) << QString::fromLatin1(name) << rect;
        }
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        WindowFixture w;
        QCOMPARE(w.form->size(), QSize(600, 323));
        auto* control = w.form->findChild<QWidget*>(name);
        QVERIFY(control);
        if (qobject_cast<QLabel*>(control)) {
            // Captions may grow to the right to fit their text, never shrink or move.
            QCOMPARE(control->pos(), geometry.topLeft());
            QVERIFY(control->width() >= geometry.width());
            QCOMPARE(control->height(), geometry.height());
        } else {
            QCOMPARE(control->geometry(), geometry);
        }
    }

    void statusBarFollowsTheBottomEdge()
    {
        WindowFixture w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        w.form->resize(800, 400);
        QTRY_COMPARE(w.form->StatusBar1->geometry(), QRect(0, 381, 800, 19));
        QCOMPARE(w.form->GroupBox3->geometry(), QRect(152, 104, 233, 185));
        QCOMPARE(w.statusPanel()->width(), 100);
    }

    void tabOrder()
    {
        WindowFixture w;
        TForm1& f = *w.form;
        QList<QWidget*> expected = {f.PortEdit,
                                    f.VerbindenButton,
                                    f.TrennenButton,
                                    f.gerade_Button,
                                    f.SendenEdit,
                                    f.abbiegen_Button,
                                    f.RadioGroup4->button(0),
                                    f.RadioGroup4->button(1),
                                    f.Hostedit,
                                    f.Memo1,
                                    f.Button1,
                                    f.Rueck_edit,
                                    f.ScrollBar1,
                                    f.Loknr_edit,
                                    f.Button2,
                                    f.Button5};
        for (TRadioGroup* group : {f.RadioGroup1, f.RadioGroup2, f.RadioGroup3}) {
            for (int i = 0; i < group->Items().size(); ++i) {
                expected << group->button(i);
            }
        }
        expected << f.Button3 << f.Button4;
        QList<QWidget*> chain;
        QWidget* next = f.PortEdit;
        do {
            if (next->focusPolicy() & Qt::TabFocus) {
                chain << next;
            }
            next = next->nextInFocusChain();
        } while (next != f.PortEdit);
        QCOMPARE(chain, expected);
    }

    void fontAndCaptionsFit()
    {
        WindowFixture w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QCOMPARE(w.form->font().pixelSize(), 11);
        QCOMPARE(w.form->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(captionsCutOff(*w.form), QStringList());
    }

    void fieldsAreNamedForScreenReaders()
    {
        WindowFixture w;
        for (auto* label : w.form->findChildren<QLabel*>()) {
            if (label->buddy()) {
                QCOMPARE(label->buddy()->accessibleName(), label->text());
            }
        }
        for (auto* edit : w.form->findChildren<QLineEdit*>()) {
            QVERIFY2(!edit->accessibleName().isEmpty(), qPrintable(edit->objectName()));
        }
        QVERIFY(!w.form->ScrollBar1->accessibleName().isEmpty());
        QVERIFY(!w.form->Memo1->accessibleName().isEmpty());
    }

    void logEntryWithLineEndShowsAnEmptyLine()
    {
        WindowFixture w;
        w.form->appendToLog(QStringLiteral("SET POWER ON \r\n"));
        w.form->appendToLog(QString());
        w.form->appendToLog(QStringLiteral("x"));
        QCOMPARE(w.log(), QStringList({"SET POWER ON ", "", "", "x"}));
        QTRY_COMPARE(w.form->Memo1->toPlainText(), QStringLiteral("SET POWER ON \n\n\nx"));
    }

    void connectLogsEmptyEntryThenConnectText()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        QCOMPARE(w.log(), QStringList({"", "Client  -   mit Server verbunden"}));
        QCOMPARE(w.peer.connectionCount(), 1);
        QCOMPARE(w.form->ClientSocket1->Host(), QStringLiteral("127.0.0.1"));
        QVERIFY(w.shownMessages.isEmpty());
        auto* socket = w.form->ClientSocket1->findChild<QTcpSocket*>();
        QVERIFY(socket);
        QCOMPARE(socket->peerPort(), w.peer.port());
        QCOMPARE(socket->socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
    }

    void emptyEditsKeepTheLastHostAndPort_data()
    {
        QTest::addColumn<bool>("clearPort");
        QTest::addColumn<bool>("clearHost");
        QTest::newRow("port empty") << true << false;
        QTest::newRow("host empty") << false << true;
        QTest::newRow("both empty") << true << true;
    }
    void emptyEditsKeepTheLastHostAndPort()
    {
        QFETCH(bool, clearPort);
        QFETCH(bool, clearHost);
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.form->TrennenButton->click();
        QTRY_COMPARE(w.peer.activeConnections(), 0);
        if (clearPort) {
            w.form->PortEdit->clear();
        }
        if (clearHost) {
            w.form->Hostedit->clear();
        }
        w.form->VerbindenButton->click();
        QTRY_VERIFY(w.form->ClientSocket1->Active());
        QTRY_COMPARE(w.peer.connectionCount(), 2);
        QVERIFY(w.shownMessages.isEmpty());
    }

    void editsTakeEffectOnlyOnConnect()
    {
        WindowFixture w;
        w.form->PortEdit->setText(QStringLiteral("4711"));
        w.form->Hostedit->setText(QStringLiteral("example.invalid"));
        QCOMPARE(TClientSocketAccess::port(*w.form->ClientSocket1), 12345);
        QCOMPARE(w.form->ClientSocket1->Host(), QStringLiteral("localhost"));
    }

    void portThatIsNoNumberShowsTheErrorAndOpensNothing_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::newRow("letters") << "12a";
        QTest::newRow("blank") << " ";
        QTest::newRow("sign only") << "-";
        QTest::newRow("too large") << "99999999999";
    }
    void portThatIsNoNumberShowsTheErrorAndOpensNothing()
    {
        QFETCH(QString, portText);
        WindowFixture w;
        QVERIFY(w.peer.listen());
        w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        w.form->PortEdit->setText(portText);
        w.form->VerbindenButton->click();
        QCOMPARE(w.shownMessages,
                 QStringList{QStringLiteral("'%1' ist kein gültiger Integerwert").arg(portText)});
        QVERIFY(w.log().isEmpty());
        QCOMPARE(TClientSocketAccess::port(*w.form->ClientSocket1), 12345);
        QCOMPARE(w.form->ClientSocket1->Host(), QStringLiteral("localhost"));
        // An attempt the press had started would reach the peer ahead of this connection.
        QVERIFY(w.connectToPeer());
        QCOMPARE(w.peer.connectionCount(), 1);
    }

    void portOutsideTheTcpRangeIsShown_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::newRow("zero") << "0";
        QTest::newRow("negative") << "-1";
        QTest::newRow("wraps to a real port") << QString::number(65536 + 80);
    }
    void portOutsideTheTcpRangeIsShown()
    {
        QFETCH(QString, portText);
        WindowFixture w;
        w.form->PortEdit->setText(portText);
        w.form->VerbindenButton->click();
        QCOMPARE(w.shownMessages.size(), 1);
        QVERIFY(w.shownMessages.first().contains(portText));
        QVERIFY(!w.form->ClientSocket1->Active());
    }

    void eachReadReplacesTheStatusLine_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("two answers")
            << QByteArray("INFO POWER ON\r\n") << QByteArray("INFO FB S88 1 0 0\r\n");
        QTest::newRow("answer in two parts")
            << QByteArray("INFO GA M ") << QByteArray("7 0 1 -1\n");
        QTest::newRow("markup stays text") << QByteArray("<b>x</b>") << QByteArray("<img src=x>");
        QTest::newRow("8-bit and controls")
            << QByteArray("\xff\xfe\x00z", 4) << QByteArray("a\nb\nc\n\r\n\t");
    }
    void eachReadReplacesTheStatusLine()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.peer.sendToClients(first);
        QTRY_COMPARE(w.status(), statusShowing(first));
        w.peer.sendToClients(second);
        QTRY_COMPARE(w.status(), statusShowing(second));
        QLabel* panel = w.statusPanel();
        QCOMPARE(panel->textFormat(), Qt::PlainText);
        QVERIFY(!panel->text().contains(u'\n'));
        QCOMPARE(w.form->StatusBar1->height(), 19);
        QCOMPARE(w.log().size(), 2);
    }

    void disconnectClearsStatusAndKeepsLog()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.peer.sendToClients("INFO 1\n");
        QTRY_COMPARE(w.status(), QStringLiteral("INFO 1 "));
        const QStringList logBefore = w.log();
        w.form->TrennenButton->click();
        QCOMPARE(w.status(), QString());
        QCOMPARE(w.log(), logBefore);
        QVERIFY(!w.form->ClientSocket1->Active());
        QTRY_COMPARE(w.peer.activeConnections(), 0);
        QVERIFY(w.shownMessages.isEmpty());
    }

    void secondConnectWhileOpenOpensNothing()
    {
        WindowFixture w;
        QVERIFY(w.peer.listen());
        w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        w.form->PortEdit->setText(QString::number(w.peer.port()));
        w.form->VerbindenButton->click();
        w.form->VerbindenButton->click();
        QTRY_VERIFY(w.form->ClientSocket1->Active());
        w.form->VerbindenButton->click();
        // Sent last, on the window's one connection: a second one would carry it instead.
        w.form->ClientSocket1->SendText(QStringLiteral("marker\n"));
        QVERIFY(w.peerReceived("marker\n"));
        QCOMPARE(w.peer.connectionCount(), 1);
        QCOMPARE(w.peer.lines().first().connectionId, 1);
        QCOMPARE(w.log().count(QStringLiteral("Client  -   mit Server verbunden")), 1);
        QVERIFY(w.shownMessages.isEmpty());
    }

    void refusedConnectionIsShownAndTheProgramGoesOn()
    {
        WindowFixture w;
        QVERIFY(w.peer.listen());
        const quint16 port = w.peer.port();
        w.peer.stop();
        w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        w.form->PortEdit->setText(QString::number(port));
        w.form->VerbindenButton->click();
        QTRY_COMPARE(w.shownMessages.size(), 1);
        QVERIFY(w.shownMessages.first().contains(QStringLiteral("127.0.0.1:%1").arg(port)));
        QVERIFY(w.shownMessages.first().contains(QStringLiteral("abgelehnt")));
        // The attempt's empty entry shows nothing.
        QCOMPARE(w.log(), QStringList());
        QCOMPARE(w.status(), QString());

        RecordingPeer second;
        QVERIFY(second.listen());
        w.form->PortEdit->setText(QString::number(second.port()));
        w.form->VerbindenButton->click();
        QTRY_VERIFY(w.form->ClientSocket1->Active());
        QTRY_COMPARE(second.connectionCount(), 1);
    }

    void serverClosingIsShownAndReconnectWorks()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.peer.closeClients();
        QTRY_COMPARE(w.shownMessages.size(), 1);
        QVERIFY(w.shownMessages.first().contains(QStringLiteral("beendet")));
        QVERIFY(w.shownMessages.first().contains(QString::number(w.peer.port())));
        QVERIFY(!w.form->ClientSocket1->Active());
        // The server lets go once the window has hung up too.
        QTRY_COMPARE(w.peer.activeConnections(), 0);
        const QStringList logBefore = w.log();
        QVERIFY(w.connectToPeer());
        QCOMPARE(w.peer.connectionCount(), 2);
        QCOMPARE(w.log().mid(logBefore.size()),
                 QStringList({"", "Client  -   mit Server verbunden"}));
    }

    void textArrivingJustBeforeTheCloseIsStillShown()
    {
        WindowFixture w;
        // The text is in the status line before the close is reported, as they arrived.
        QString statusWhenShown;
        applicationHandlers().setDisplay([&w, &statusWhenShown](const QString& message) {
            w.shownMessages << message;
            statusWhenShown = w.status();
        });
        QVERIFY(w.connectToPeer());
        w.peer.sendToClients("INFO -2\r\n");
        w.peer.closeClients();
        QTRY_COMPARE(w.shownMessages.size(), 1);
        QCOMPARE(statusWhenShown, QStringLiteral("INFO -2  "));
        QCOMPARE(w.status(), QStringLiteral("INFO -2  "));
    }

    void unknownHostIsShown()
    {
        WindowFixture w;
        w.form->Hostedit->setText(QStringLiteral("host.invalid"));
        w.form->VerbindenButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.shownMessages.size(), 1, 15000);
        QVERIFY(w.shownMessages.first().contains(QStringLiteral("host.invalid")));
        QVERIFY(!w.form->ClientSocket1->Active());
    }

    void sendingWithoutConnectionIsSilent()
    {
        WindowFixture w;
        w.form->ClientSocket1->SendText(QStringLiteral("SET POWER ON \r\n"));
        QVERIFY(w.form->ClientSocket1->ReceiveText().isEmpty());
        QVERIFY(w.shownMessages.isEmpty());
    }

    void closingTheWindowWhileConnectedSendsNothing()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.form.reset();
        QTRY_COMPARE(w.peer.activeConnections(), 0);
        QCOMPARE(w.peer.receivedBytes(), QByteArray());
        QVERIFY(w.shownMessages.isEmpty());
    }
};

QTEST_MAIN(tst_TForm1)
#include "tst_tform1.moc"
