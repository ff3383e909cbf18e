// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "feedback_answer.h"
#include "warnings_fail.h"
#include "window_fixture.h"

// Track power and the feedback query against the real loopback peer: the power lines and the
// feedback query byte for byte as the peer receives them, what the log gets (and does not get), and
// the query's answer in the status line.

namespace {

const QStringList ConnectEntries = {QString(), QStringLiteral("Client  -   mit Server verbunden")};
// Whatever the window sent before this line is at the peer ahead of it.
const QByteArray Marker = "marker\n";

} // namespace

class tst_PowerFeedback : public QObject
{
    Q_OBJECT

private:
    static QPushButton* powerButton(TForm1& form, bool on)
    {
        return on ? form.Button4 : form.Button3;
    }

    // Empties Rueck_edit and types the text into it, as the operator does.
    static void typeModule(TForm1& form, const QString& text)
    {
        form.Rueck_edit->clear();
        QTest::keyClicks(form.Rueck_edit, text);
        QCOMPARE(form.Rueck_edit->text(), text);
    }

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void powerLine_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("Spannung an") << true << "Spannung an" << QByteArray("SET POWER ON \r\n");
        QTest::newRow("Spannung aus")
            << false << "Spannung aus" << QByteArray("SET POWER OFF \r\n");
    }
    void powerLine()
    {
        QFETCH(bool, on);
        QFETCH(QString, caption);
        QFETCH(QByteArray, line);
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        QPushButton* button = powerButton(*w.form, on);
        QCOMPARE(button->text(), caption);
        button->click();
        QCOMPARE(w.log(), logLines(ConnectEntries + QStringList{QString::fromLatin1(line)}));
        w.form->ClientSocket1->SendText(QString::fromLatin1(Marker));
        QVERIFY(w.peerReceived(line + Marker));
        QCOMPARE(w.peer.lines().size(), 2);
        QCOMPARE(w.peer.lines().first().bytes, line);
        QVERIFY(w.shownMessages.isEmpty());
    }

    void powerLinesInTheOrderPressed()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.form->Button4->click();
        w.form->Button3->click();
        w.form->Button3->click();
        w.form->Button4->click();
        const QByteArray expected = "SET POWER ON \r\nSET POWER OFF \r\nSET POWER OFF \r\n"
                                    "SET POWER ON \r\n";
        QVERIFY(w.peerReceived(expected));
        QCOMPARE(w.peer.lines().size(), 4);
        QCOMPARE(w.log(), logLines(ConnectEntries +
                                   QStringList({"SET POWER ON \r\n", "SET POWER OFF \r\n",
                                                "SET POWER OFF \r\n", "SET POWER ON \r\n"})));
    }

    void powerWithoutConnectionIsLoggedNotSentAndNotWarned_data() { powerLine_data(); }
    void powerWithoutConnectionIsLoggedNotSentAndNotWarned()
    {
        QFETCH(bool, on);
        QFETCH(QByteArray, line);
        WindowFixture w;
        QVERIFY(w.peer.listen());
        powerButton(*w.form, on)->click();
        QCOMPARE(w.log(), logLines({QString::fromLatin1(line)}));
        QVERIFY(w.shownMessages.isEmpty());
        QCOMPARE(w.status(), QString());
        // A line kept back, or a connection the press opened, would reach the peer ahead of
        // the marker.
        QVERIFY(w.connectToPeer());
        w.form->ClientSocket1->SendText(QString::fromLatin1(Marker));
        QVERIFY(w.peerReceived(Marker));
        QCOMPARE(w.peer.connectionCount(), 1);
    }

    void feedbackQuery_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("1") << "1" << QByteArray("GET FB S88 1 \n");
        QTest::newRow("two digits") << "12" << QByteArray("GET FB S88 12 \n");
        QTest::newRow("letters") << "ab" << QByteArray("GET FB S88 ab \n");
        QTest::newRow("digits and letters") << "3x" << QByteArray("GET FB S88 3x \n");
        QTest::newRow("empty") << "" << QByteArray("GET FB S88  \n");
        QTest::newRow("blanks kept") << " 7 " << QByteArray("GET FB S88  7  \n");
        QTest::newRow("sign and zeros kept") << "-007" << QByteArray("GET FB S88 -007 \n");
    }
    void feedbackQuery()
    {
        QFETCH(QString, module);
        QFETCH(QByteArray, line);
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.form->Button4->click();
        QVERIFY(w.peerReceived("SET POWER ON \r\n"));
        typeModule(*w.form, module);
        const QStringList logBefore = w.log();
        QCOMPARE(w.form->Button1->text(), QStringLiteral("abfragen"));
        w.form->Button1->click();
        QCOMPARE(w.log(), logBefore);
        w.form->ClientSocket1->SendText(QString::fromLatin1(Marker));
        QVERIFY(w.peerReceived("SET POWER ON \r\n" + line + Marker));
        QCOMPARE(w.peer.lines().size(), 3);
        QCOMPARE(w.peer.lines().at(1).bytes, line);
        QCOMPARE(w.log(), logBefore);
        QVERIFY(w.shownMessages.isEmpty());
        QCOMPARE(w.status(), QString());
    }

    void feedbackQueryWithoutConnectionSendsNothing()
    {
        WindowFixture w;
        QVERIFY(w.peer.listen());
        typeModule(*w.form, QStringLiteral("ab"));
        w.form->Button1->click();
        QVERIFY(w.log().isEmpty());
        QVERIFY(w.shownMessages.isEmpty());
        QVERIFY(w.connectToPeer());
        w.form->ClientSocket1->SendText(QString::fromLatin1(Marker));
        QVERIFY(w.peerReceived(Marker));
        QCOMPARE(w.peer.connectionCount(), 1);
    }

    void feedbackAnswerReplacesTheStatusLine_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("module 1, all open") << "1" << feedbackAnswer(1);
        QTest::newRow("module 2, contact 3 closed") << "2" << feedbackAnswer(2, {3});
        QTest::newRow("letters: the server's error") << "ab" << QByteArray("INFO -2\n");
        QTest::newRow("empty: the server's error") << "" << QByteArray("INFO -2\n");
    }
    void feedbackAnswerReplacesTheStatusLine()
    {
        QFETCH(QString, module);
        QFETCH(QByteArray, answer);
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        QVERIFY(w.peer.setContact({2, 3, true}));
        w.peer.sendToClients("INFO 0 earlier text\r\n");
        QTRY_COMPARE(w.status(), QStringLiteral("INFO 0 earlier text  "));
        w.peer.setAnswering(RecordingPeer::Answering::Srcp);
        typeModule(*w.form, module);
        const QStringList logBefore = w.log();
        w.form->Button1->click();
        QTRY_COMPARE(w.status(), statusShowing(answer));
        QCOMPARE(w.log(), logBefore);
        QVERIFY(w.shownMessages.isEmpty());
    }

    void scriptedAnswerReplacesTheStatusLine()
    {
        WindowFixture w;
        QVERIFY(w.connectToPeer());
        w.form->Button1->click();
        QVERIFY(w.peerReceived("GET FB S88 1 \n"));
        w.peer.sendToClients("INFO FB S88 1 1 0\n");
        QTRY_COMPARE(w.status(), QStringLiteral("INFO FB S88 1 1 0 "));
        w.form->Button1->click();
        QVERIFY(w.peerReceived("GET FB S88 1 \nGET FB S88 1 \n"));
        w.peer.sendToClients("INFO FB S88 1 0 0\n");
        QTRY_COMPARE(w.status(), QStringLiteral("INFO FB S88 1 0 0 "));
        QCOMPARE(w.log(), logLines(ConnectEntries));
    }
};

QTEST_MAIN(tst_PowerFeedback)
#include "tst_power_feedback.moc"
