// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tradio_group.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

// Locomotive control against the real loopback peer: the controls are operated the way the operator
// does it (clicks, keys, the bar's own actions), so the event wiring is part of every check,
// and the bytes the peer receives are compared, not only the log.

namespace {

const QString ConnectEntry = QStringLiteral("Client  -   mit Server verbunden");
// Whatever the window sent before this line is at the peer ahead of it.
const QByteArray Marker = "marker\n";

// The locomotive lines the log shows, without what "verbinden" adds and the empty line that
// follows each line's CR LF.
QStringList locoEntries(const QStringList& logLines)
{
    QStringList lines;
    for (const QString& line : logLines) {
        if (line != ConnectEntry && !line.isEmpty()) {
            lines << line;
        }
    }
    return lines;
}

// The window sends the marker, on a new connection if it has none; what it sent before is then
// at the peer ahead of it.
void sendMarker(WindowFixture& w)
{
    if (!w.form->ClientSocket1->Active()) {
        QVERIFY(w.connectToPeer());
    }
    w.form->ClientSocket1->SendText(QString::fromLatin1(Marker));
}

QByteArray joined(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toLatin1();
    }
    return bytes;
}

// The line for a speed with everything else at its start-up value.
QByteArray startLineAtSpeed(int speed)
{
    return "SET GL M1 1 1 " + QByteArray::number(speed) + " 100 0 4 0 0 0 0\r\n";
}

// Centre of one part of the bar (an arrow, the page area beside the thumb) in its own pixels.
QPoint barPart(QScrollBar* bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

} // namespace

class tst_LocoControl : public QObject
{
    Q_OBJECT

private:
    // Runs one action of a script: a blank-separated list of
    //   up / down            the bar's one-step action toward the top (speed +1) / the bottom
    //   key:Up key:Down key:Home key:End key:PageUp   a key pressed on the focused bar
    //   arrow:up arrow:down  a mouse click on the bar's arrow;  page:up  a click above the thumb
    //   bar=N                the bar set to position N (one change)
    //   fn / dir             a click on Button5 / Button2
    //   protocol=I           a mouse click on item I of RadioGroup1 (0 Märklin, 1 DCC)
    //   maerklin=I dcc=I     a mouse click on item I of RadioGroup3 / RadioGroup2 (visible only)
    //   dccIndex=I           RadioGroup2's item index set to I (no operator way: -1 or beyond)
    //   addr=TEXT            Loknr_edit emptied and TEXT typed into it, "_" typed as a blank
    //                        ("addr=" leaves it empty)
    //   connect / trennen    "verbinden" against the peer / "trennen"
    void act(WindowFixture& w, const QString& action)
    {
        TForm1& f = *w.form;
        const QString name = action.section(u'=', 0, 0).section(u':', 0, 0);
        const QString argument =
            action.contains(u'=') ? action.section(u'=', 1) : action.section(u':', 1);
        const auto click = [](TRadioGroup* group, int index) {
            QRadioButton* radio = group->button(index);
            QVERIFY2(radio && radio->isVisible(), "the operator can click only what is shown");
            QTest::mouseClick(radio, Qt::LeftButton, {}, radio->rect().center());
            QCOMPARE(group->ItemIndex(), index);
        };
        const auto key = [&f](Qt::Key k) {
            f.ScrollBar1->setFocus();
            QTest::keyClick(f.ScrollBar1, k);
        };
        if (action == u"up") {
            f.ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepSub);
        } else if (action == u"down") {
            f.ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        } else if (action == u"key:Up") {
            key(Qt::Key_Up);
        } else if (action == u"key:Down") {
            key(Qt::Key_Down);
        } else if (action == u"key:Home") {
            key(Qt::Key_Home);
        } else if (action == u"key:End") {
            key(Qt::Key_End);
        } else if (action == u"key:PageUp") {
            key(Qt::Key_PageUp);
        } else if (action == u"arrow:up" || action == u"arrow:down" || action == u"page:up") {
            const QStyle::SubControl part = action == u"arrow:up"     ? QStyle::SC_ScrollBarSubLine
                                            : action == u"arrow:down" ? QStyle::SC_ScrollBarAddLine
                                                                      : QStyle::SC_ScrollBarSubPage;
            const QPoint where = barPart(f.ScrollBar1, part);
            QVERIFY2(f.ScrollBar1->rect().contains(where), qPrintable(action));
            QTest::mouseClick(f.ScrollBar1, Qt::LeftButton, {}, where);
        } else if (name == u"bar") {
            f.ScrollBar1->setValue(argument.toInt());
        } else if (action == u"fn") {
            f.Button5->click();
        } else if (action == u"dir") {
            f.Button2->click();
        } else if (name == u"protocol") {
            click(f.RadioGroup1, argument.toInt());
        } else if (name == u"maerklin") {
            click(f.RadioGroup3, argument.toInt());
        } else if (name == u"dcc") {
            click(f.RadioGroup2, argument.toInt());
        } else if (name == u"dccIndex") {
            f.RadioGroup2->setItemIndex(argument.toInt());
            QCOMPARE(f.RadioGroup2->ItemIndex(), -1);
        } else if (name == u"addr") {
            const QString typed = QString(argument).replace(u'_', u' ');
            f.Loknr_edit->clear();
            QTest::keyClicks(f.Loknr_edit, typed);
            QCOMPARE(f.Loknr_edit->text(), typed);
        } else if (action == u"connect") {
            QVERIFY(w.connectToPeer());
        } else if (action == u"trennen") {
            f.TrennenButton->click();
            QVERIFY(!f.ClientSocket1->Active());
            QTRY_COMPARE(w.peer.activeConnections(), 0);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown action ") + action));
        }
    }

    // A window as the program starts it, shown (so mouse clicks land as on screen), with the
    // peer listening and, unless `connected` is false, connected to it.
    static void start(WindowFixture& w, bool connected)
    {
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QVERIFY(w.peer.listen());
        if (connected) {
            QVERIFY(w.connectToPeer());
        }
    }

    // Waits for the peer to hold exactly `expected`, as complete lines and as bytes, and
    // checks that nothing else came: a marker the window sends last follows right after.
    static void checkPeerGot(WindowFixture& w, const QStringList& expected)
    {
        sendMarker(w);
        const QByteArray bytes = joined(expected);
        QVERIFY(w.peerReceived(bytes + Marker));
        const QList<RecordingPeer::Line> lines = w.peer.lines();
        QCOMPARE(lines.size(), expected.size() + 1);
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(lines.at(i).bytes, expected.at(i).toLatin1());
        }
    }

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    // The locomotive's edge cases, one row each. `logged` is every locomotive
    // line the log gets, in order; `sent` what the peer must receive, byte for byte.
    void edgeCases_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("logged");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<bool>("button2Enabled");
        QTest::addColumn<QString>("button5Caption");

        const auto row = [](const char* name, const char* script, const QStringList& lines,
                            bool button2Enabled, const char* caption) {
            QTest::newRow(name) << true << QString::fromUtf8(script) << lines << lines
                                << button2Enabled << QString::fromLatin1(caption);
        };

        // The table, row by row.
        row("bar one step up", "up", {"SET GL M1 1 1 1 100 0 4 0 0 0 0\r\n"}, false, "off");
        row("Button5 pressed", "fn", {"SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n"}, true, "on");
        row("Button5 pressed a second time", "fn fn",
            {"SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"}, true,
            "off");
        row("Button2 pressed, then again", "dir dir",
            {"SET GL M1 1 0 0 100 0 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"}, true,
            "off");
        row("DCC, N2, address 3, bar 60, Button5", "protocol=1 dcc=2 addr=3 bar=60 fn",
            {"SET GL N2 3 1 40 100 0 4 0 0 0 0\r\n", "SET GL N2 3 1 40 100 1 4 0 0 0 0\r\n"}, false,
            "on");
        row("erweitert, address 12, Button2, bar to the top", "maerklin=1 addr=12 dir key:Home",
            {"SET GL M2 12 0 0 100 0 4 0 0 0 0\r\n", "SET GL M2 12 0 100 100 0 4 0 0 0 0\r\n"},
            false, "off");

        // One step up, however the operator makes it.
        for (const char* how : {"key:Up", "arrow:up", "page:up", "key:PageUp"}) {
            row(qPrintable(QStringLiteral("bar one step up by %1").arg(QLatin1String(how))), how,
                {"SET GL M1 1 1 1 100 0 4 0 0 0 0\r\n"}, false, "off");
        }

        // The notes under the table.
        row("empty address gives two blanks in a row", "addr= fn",
            {"SET GL M1  1 0 100 1 4 0 0 0 0\r\n"}, true, "on");
        row("address as typed, letters and blanks", "addr=_x7_ dir",
            {"SET GL M1  x7  0 0 100 0 4 0 0 0 0\r\n"}, true, "off");
        row("bar back to 100 enables Button2 and sends speed 0", "bar=50 bar=100",
            {"SET GL M1 1 1 50 100 0 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"}, true,
            "off");
        row("one step up and back by the arrows", "arrow:up arrow:down",
            {"SET GL M1 1 1 1 100 0 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"}, true,
            "off");
        row("one step up and back by keys, then a direction change", "key:Up key:Down dir",
            {"SET GL M1 1 1 1 100 0 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n",
             "SET GL M1 1 0 0 100 0 4 0 0 0 0\r\n"},
            true, "off");
        row("disabled Button2 composes nothing", "up dir", {"SET GL M1 1 1 1 100 0 4 0 0 0 0\r\n"},
            false, "off");
        row("bar to the bottom by End", "bar=0 key:End",
            {"SET GL M1 1 1 100 100 0 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"}, true,
            "off");
        row("choosing DCC sends nothing, the next line carries NB", "protocol=1 fn",
            {"SET GL NB 1 1 0 100 1 4 0 0 0 0\r\n"}, true, "on");
        row("choosing DCC alone sends nothing", "protocol=1", {}, true, "off");
        row("choosing a decoder kind sends nothing", "maerklin=1 protocol=1 dcc=4 addr=5", {}, true,
            "off");
        row("a decoder kind takes effect with the next line", "protocol=1 dcc=4 dir",
            {"SET GL N4 1 0 0 100 0 4 0 0 0 0\r\n"}, true, "off");
        row("Märklin again keeps erweitert", "maerklin=1 fn protocol=1 fn protocol=0 fn",
            {"SET GL M2 1 1 0 100 1 4 0 0 0 0\r\n", "SET GL NB 1 1 0 100 0 4 0 0 0 0\r\n",
             "SET GL M2 1 1 0 100 1 4 0 0 0 0\r\n"},
            true, "on");
        row("Märklin again keeps normal", "protocol=1 dcc=3 up protocol=0 up",
            {"SET GL N3 1 1 1 100 0 4 0 0 0 0\r\n", "SET GL M1 1 1 2 100 0 4 0 0 0 0\r\n"}, false,
            "off");
        row("DCC again keeps its item", "protocol=1 dcc=1 protocol=0 protocol=1 fn",
            {"SET GL N1 1 1 0 100 1 4 0 0 0 0\r\n"}, true, "on");
        row("DCC index outside 0..4 before the first line: empty token",
            "protocol=1 dccIndex=-1 fn", {"SET GL 1 1 0 100 1 4 0 0 0 0\r\n"}, true, "on");
        row("DCC index outside 0..4 keeps the DCC token", "protocol=1 dcc=3 fn dccIndex=7 fn",
            {"SET GL N3 1 1 0 100 1 4 0 0 0 0\r\n", "SET GL N3 1 1 0 100 0 4 0 0 0 0\r\n"}, true,
            "off");
        row("DCC index outside 0..4 keeps a Märklin token",
            "maerklin=1 up protocol=1 dccIndex=-1 up",
            {"SET GL M2 1 1 1 100 0 4 0 0 0 0\r\n", "SET GL M2 1 1 2 100 0 4 0 0 0 0\r\n"}, false,
            "off");

        // The maximum token is 100 for every protocol and decoder kind, at every speed.
        const QList<std::pair<const char*, const char*>> kinds = {
            {"maerklin=0", "M1"},       {"maerklin=1", "M2"},       {"protocol=1 dcc=0", "NB"},
            {"protocol=1 dcc=1", "N1"}, {"protocol=1 dcc=2", "N2"}, {"protocol=1 dcc=3", "N3"},
            {"protocol=1 dcc=4", "N4"}};
        for (const auto& [choice, token] : kinds) {
            const QString line = QStringLiteral("SET GL %1 1 1 %2 100 0 4 0 0 0 0\r\n");
            row(qPrintable(QStringLiteral("maximum 100 with %1").arg(QLatin1String(token))),
                qPrintable(QStringLiteral("%1 key:Home bar=99 bar=100").arg(QLatin1String(choice))),
                {line.arg(QLatin1String(token), QStringLiteral("100")),
                 line.arg(QLatin1String(token), QStringLiteral("1")),
                 line.arg(QLatin1String(token), QStringLiteral("0"))},
                true, "off");
        }

        // No connection: logged, not sent, the state stays; the next line carries all of it.
        QTest::newRow("no connection: logged, nothing sent")
            << false << "fn dir up maerklin=1 bar=30"
            << QStringList{"SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n",
                           "SET GL M1 1 0 0 100 1 4 0 0 0 0\r\n",
                           "SET GL M1 1 0 1 100 1 4 0 0 0 0\r\n",
                           "SET GL M2 1 0 70 100 1 4 0 0 0 0\r\n"}
            << QStringList{} << false << "on";
        QTest::newRow("no connection, then connected: the next line has the whole state")
            << false << "fn dir maerklin=1 addr=9 bar=30 connect up"
            << QStringList{"SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n",
                           "SET GL M1 1 0 0 100 1 4 0 0 0 0\r\n",
                           "SET GL M2 9 0 70 100 1 4 0 0 0 0\r\n",
                           "SET GL M2 9 0 71 100 1 4 0 0 0 0\r\n"}
            << QStringList{"SET GL M2 9 0 71 100 1 4 0 0 0 0\r\n"} << false << "on";
        QTest::newRow("after trennen: logged, not sent")
            << true << "fn trennen dir"
            << QStringList{"SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n",
                           "SET GL M1 1 0 0 100 1 4 0 0 0 0\r\n"}
            << QStringList{"SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n"} << true << "on";
    }
    void edgeCases()
    {
        QFETCH(bool, connected);
        QFETCH(QString, script);
        QFETCH(QStringList, logged);
        QFETCH(QStringList, sent);
        QFETCH(bool, button2Enabled);
        QFETCH(QString, button5Caption);

        WindowFixture w;
        start(w, connected);
        if (QTest::currentTestFailed()) {
            return;
        }
        for (const QString& action : script.split(u' ', Qt::SkipEmptyParts)) {
            act(w, action);
            if (QTest::currentTestFailed()) {
                qWarning("in action %s", qPrintable(action));
                return;
            }
        }

        checkPeerGot(w, sent);
        if (QTest::currentTestFailed()) {
            return;
        }
        QCOMPARE(locoEntries(w.log()), locoEntries(logLines(logged)));
        QCOMPARE(w.form->Button2->isEnabled(), button2Enabled);
        QCOMPARE(w.form->Button5->text(), button5Caption);
        QCOMPARE(w.form->Button2->text(), QStringLiteral("Richtung wechseln"));
        QCOMPARE(w.form->ScrollBar1->maximum(), 100);
        QVERIFY(w.shownMessages.isEmpty());
    }

    void choosingTheFamilySwapsTheDecoderGroups()
    {
        WindowFixture w;
        start(w, true);
        TForm1& f = *w.form;
        const QStringList logBefore = w.log();
        QTest::mouseClick(f.RadioGroup1->button(1), Qt::LeftButton);
        QVERIFY(f.RadioGroup2->isVisible());
        QVERIFY(f.RadioGroup3->isHidden());
        QCOMPARE(f.RadioGroup2->ItemIndex(), 0);
        QTest::mouseClick(f.RadioGroup2->button(3), Qt::LeftButton);
        QTest::mouseClick(f.RadioGroup1->button(0), Qt::LeftButton);
        QVERIFY(f.RadioGroup3->isVisible());
        QVERIFY(f.RadioGroup2->isHidden());
        // The hidden group keeps its choice.
        QCOMPARE(f.RadioGroup2->ItemIndex(), 3);
        QCOMPARE(f.RadioGroup3->ItemIndex(), 0);
        QCOMPARE(w.log(), logBefore);
        sendMarker(w);
        QVERIFY(w.peerReceived(Marker));
    }

    void dragAcrossTheWholeBarSendsEveryPosition_data()
    {
        QTest::addColumn<bool>("byThumb");
        QTest::newRow("thumb dragged") << true;
        QTest::newRow("one-step actions") << false;
    }
    void dragAcrossTheWholeBarSendsEveryPosition()
    {
        QFETCH(bool, byThumb);
        WindowFixture w;
        start(w, true);
        QScrollBar* bar = w.form->ScrollBar1;
        QByteArray expected;
        const QStringList logBefore = w.log();
        QStringList expectedEntries;
        if (byThumb) {
            // What the mouse does to the bar while the thumb is held: one move per position.
            bar->setSliderDown(true);
            for (int position = 99; position >= 0; --position) {
                bar->setSliderPosition(position);
            }
            bar->setSliderDown(false);
        } else {
            for (int step = 0; step < 100; ++step) {
                bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            }
        }
        for (int speed = 1; speed <= 100; ++speed) {
            expected += startLineAtSpeed(speed);
            expectedEntries << QString::fromLatin1(startLineAtSpeed(speed));
        }
        QCOMPARE(bar->value(), 0);
        sendMarker(w);
        QVERIFY(w.peerReceived(expected + Marker));
        const QList<RecordingPeer::Line> lines = w.peer.lines();
        QCOMPARE(lines.size(), 101);
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(lines.at(i).bytes, startLineAtSpeed(i + 1));
            QCOMPARE(lines.at(i).connectionId, lines.at(0).connectionId);
            if (i > 0) {
                QVERIFY(lines.at(i).arrivalNs >= lines.at(i - 1).arrivalNs);
            }
        }
        QCOMPARE(w.log().mid(logBefore.size()), logLines(expectedEntries));
        QVERIFY(!w.form->Button2->isEnabled());
        QVERIFY(w.shownMessages.isEmpty());
    }

    void dragBackToTheBottomEnablesTheDirectionOnlyThere()
    {
        WindowFixture w;
        start(w, true);
        QScrollBar* bar = w.form->ScrollBar1;
        bar->setValue(0);
        QByteArray expected = startLineAtSpeed(100);
        for (int position = 1; position <= 100; ++position) {
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QCOMPARE(w.form->Button2->isEnabled(), position == 100);
            expected += startLineAtSpeed(100 - position);
        }
        QVERIFY(w.peerReceived(expected));
        QCOMPARE(w.peer.lines().size(), 101);
        QCOMPARE(w.peer.lines().last().bytes, startLineAtSpeed(0));
    }

    void noLineDuringStartOrConnect()
    {
        WindowFixture w;
        start(w, true);
        QCOMPARE(locoEntries(w.log()), QStringList());
        sendMarker(w);
        QVERIFY(w.peerReceived(Marker));
        QCOMPARE(Loco.LocoProtocol, QString());
        QCOMPARE(Loco.LocoSpeed, QString());
        QCOMPARE(Loco.LocoMaxSpeed, QString());
    }

    void stateBetweenLinesHoldsTheLastLine()
    {
        WindowFixture w;
        start(w, false);
        TForm1& f = *w.form;
        f.Button2->click();
        QCOMPARE(Loco.LocoDirectionFlag, 0);
        QCOMPARE(Loco.LocoDirection, QStringLiteral("0 "));
        f.ScrollBar1->setValue(25);
        QCOMPARE(Loco.LocoProtocol, QStringLiteral("M1 "));
        QCOMPARE(Loco.LocoSpeed, QStringLiteral("75 "));
        QCOMPARE(Loco.LocoMaxSpeed, QStringLiteral("100 "));
        // Choices made since then reach the state only with the next line.
        QTest::mouseClick(f.RadioGroup1->button(1), Qt::LeftButton);
        QTest::mouseClick(f.RadioGroup2->button(2), Qt::LeftButton);
        QCOMPARE(Loco.LocoProtocol, QStringLiteral("M1 "));
        f.Button5->click();
        QCOMPARE(Loco.LocoProtocol, QStringLiteral("N2 "));
        QCOMPARE(Loco.LocoFunction, QStringLiteral("1 "));
        QCOMPARE(Loco.LocoDirectionFlag, 0);
        QCOMPARE(Loco.LocoDirection, QStringLiteral("0 "));
        QCOMPARE(locoEntries(w.log()).last(), QStringLiteral("SET GL N2 1 0 75 100 1 4 0 0 0 0"));
    }

    // An assistive technology can still press the window's buttons while an error message is
    // open. Each press of a toggle is an action of its own and runs once the message closes.
    void togglesPressedWhileAMessageIsOpenEachRun()
    {
        WindowFixture w;
        start(w, true);
        TForm1& f = *w.form;
        applicationHandlers().setDisplay([&w, &f](const QString& message) {
            w.shownMessages << message;
            f.Button5->click();
            f.Button5->click();
            f.Button2->click();
            f.Button2->click();
        });
        f.SendenEdit->setText(QStringLiteral("x"));
        f.gerade_Button->click();
        QCOMPARE(w.shownMessages.size(), 1);
        checkPeerGot(
            w, {"SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n",
                "SET GL M1 1 0 0 100 0 4 0 0 0 0\r\n", "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"});
        QCOMPARE(f.Button5->text(), QStringLiteral("off"));
        QCOMPARE(Loco.LocoDirectionFlag, 1);
    }

    void functionCaptionIsTheState()
    {
        // The toggle reads its own caption: anything but exactly "off" counts as on.
        WindowFixture w;
        start(w, true);
        TForm1& f = *w.form;
        f.Button5->setText(QStringLiteral("Off"));
        f.Button5->click();
        QCOMPARE(f.Button5->text(), QStringLiteral("off"));
        QCOMPARE(Loco.LocoFunction, QStringLiteral("0 "));
        f.Button5->click();
        QCOMPARE(f.Button5->text(), QStringLiteral("on"));
        QCOMPARE(Loco.LocoFunction, QStringLiteral("1 "));
        QVERIFY(w.peerReceived("SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n"
                               "SET GL M1 1 1 0 100 1 4 0 0 0 0\r\n"));
    }
};

QTEST_MAIN(tst_LocoControl)
#include "tst_loco_control.moc"
