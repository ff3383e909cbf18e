// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "legibility.h"
#include "tradio_group.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTextDocument>

#include <vector>

// What a screen reader, a keyboard user and a dark desktop get from the window.

namespace {

std::vector<std::pair<QAccessible::Event, QObject*>> reported;

void recordEvent(QAccessibleEvent* event)
{
    reported.emplace_back(event->type(), event->object());
}

// One step: "reply:<text>", "click", "key:<keys>", "hold:<keys>" (pressed with three
// repeats), "position:<n>", "increase", "decrease" or "set:<speed>".
void operate(TForm1& form, QWidget* control, const QString& step)
{
    const QString verb = step.section(u':', 0, 0);
    const QString argument = step.section(u':', 1);
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(control);
    if (verb == u"reply") {
        form.setStatusLine(argument);
    } else if (verb == u"click") {
        static_cast<QAbstractButton*>(control)->click();
    } else if (verb == u"key" || verb == u"hold") {
        const QKeyCombination keys = QKeySequence(argument)[0];
        for (int i = 0; i < (verb == u"hold" ? 4 : 1); ++i) {
            QKeyEvent press(QEvent::KeyPress, keys.key(), keys.keyboardModifiers(), {}, i > 0);
            QApplication::sendEvent(control, &press);
        }
        QKeyEvent release(QEvent::KeyRelease, keys.key(), keys.keyboardModifiers());
        QApplication::sendEvent(control, &release);
    } else if (verb == u"position") {
        form.ScrollBar1->setValue(argument.toInt());
    } else if (verb == u"set") {
        view->valueInterface()->setCurrentValue(argument.toInt());
    } else {
        view->actionInterface()->doAction(verb == u"increase"
                                              ? QAccessibleActionInterface::increaseAction()
                                              : QAccessibleActionInterface::decreaseAction());
    }
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        defaultPalette = QApplication::palette();
        QAccessible::installUpdateHandler(&recordEvent);
        // A platform that bridges to screen readers switches on once its bus answers.
        if (QGuiApplication::platformName() != u"offscreen") {
            (void)QTest::qWaitFor(&QAccessible::isActive);
        }
    }
    void init() { failOnAnyWarning(); }
    void cleanup() { QApplication::setPalette(defaultPalette); }

    void screenReaderView_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QList<int>>("events");
        const auto row = [](const char* tag, const char* control, const QStringList& steps,
                            QAccessible::Role role, const QString& name, const QString& value,
                            const QList<int>& events = {}) {
            QTest::newRow(tag) << QString::fromLatin1(control) << steps << int(role) << name
                               << value << events;
        };
        const QAccessible::Role panel = QAccessible::StaticText;
        const int renamed = QAccessible::NameChanged;
        row("welcome line", "StatusPanel0", {"reply:srcpd V1.0; SRCP 0.8.4\r\n"}, panel,
            "Statuszeile: srcpd V1.0; SRCP 0.8.4  ", "srcpd V1.0; SRCP 0.8.4  ",
            {QAccessible::TextUpdated, renamed});
        row("a repeated answer is news again", "StatusPanel0",
            {"reply:INFO -2\n", "reply:INFO -2\n"}, panel, "Statuszeile: INFO -2 ", "INFO -2 ",
            {renamed, renamed});
        row("status cleared", "StatusPanel0", {"reply:INFO 1\n", "reply:"}, panel, "Statuszeile",
            "", {renamed, renamed});
        row("markup", "StatusPanel0", {"reply:<b>fett</b> &amp;\n"}, panel,
            "Statuszeile: <b>fett</b> &amp; ", "<b>fett</b> &amp; ");
        const QString flood = QStringLiteral("INFO 1 GL ").repeated(40);
        row("more than the panel shows", "StatusPanel0", {"reply:" + flood}, panel,
            "Statuszeile: " + flood, flood);
        row("RadioGroup1", "RadioGroup1", {}, QAccessible::Grouping, "Protokoll", "");
        row("RadioGroup2", "RadioGroup2", {}, QAccessible::Grouping, "Dekoder", "");
        row("RadioGroup3", "RadioGroup3", {}, QAccessible::Grouping, "Dekoder", "");
        row("function on", "Button5", {"click"}, QAccessible::Button, "Funktion: on", "",
            {renamed});
        row("function off again", "Button5", {"click", "click"}, QAccessible::Button,
            "Funktion: off", "");
        // Return and Enter click the focused button once per press, as Space does.
        for (const char* keys : {"key:Return", "key:Enter", "hold:Return", "key:Space"}) {
            row(keys, "Button5", {keys}, QAccessible::Button, "Funktion: on", "");
        }
        row("key:Ctrl+Return", "Button5", {"key:Ctrl+Return"}, QAccessible::Button, "Funktion: off",
            "");
        const QAccessible::Role bar = QAccessible::ScrollBar;
        row("increase at standstill", "ScrollBar1", {"increase"}, bar, "Geschwindigkeit", "1");
        row("decrease from full speed", "ScrollBar1", {"position:0", "decrease"}, bar,
            "Geschwindigkeit", "99");
        row("speed set", "ScrollBar1", {"set:75"}, bar, "Geschwindigkeit", "75");
    }
    void screenReaderView()
    {
        QFETCH(QString, control);
        QFETCH(QStringList, steps);
        QFETCH(QString, value);
        QFETCH(QList<int>, events);
        WindowFixture w;
        auto* widget = w.form->findChild<QWidget*>(control);
        QVERIFY(widget);
        reported.clear();
        for (const QString& step : steps) {
            operate(*w.form, widget, step);
        }

        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(view);
        QTEST(int(view->role()), "role");
        QTEST(view->text(QAccessible::Name), "name");
        if (QAccessibleTextInterface* text = view->textInterface()) {
            QCOMPARE(text->text(0, text->characterCount()), value);
            // A sighted operator reads the same whole line in the tooltip.
            QString toolTip = widget->toolTip();
            if (Qt::mightBeRichText(toolTip)) {
                QTextDocument shown;
                shown.setHtml(toolTip);
                toolTip = shown.toPlainText();
            }
            QCOMPARE(toolTip, value);
        }
        if (QAccessibleValueInterface* speed = view->valueInterface()) {
            QCOMPARE(speed->currentValue().toString(), value);
            QCOMPARE(speed->maximumValue().toInt(), 100);
            // The speed the locomotive line carries, above the empty line its CR LF leaves.
            const QStringList log = w.log();
            QVERIFY(log.size() >= 2);
            QVERIFY(log.at(log.size() - 2).contains(QStringLiteral(" %1 100 ").arg(value)));
        }
        if (!events.isEmpty() && !QAccessible::isActive()) {
            QSKIP("Changes reach an update handler only where the platform has accessibility "
                  "switched on, as with AT-SPI under X11 (scripts/run-accessibility-tests.sh); "
                  "offscreen it has none.");
        }
        QList<int> seen;
        for (const auto& [type, object] : reported) {
            if (object == widget && events.contains(type)) {
                seen << type;
            }
        }
        QCOMPARE(seen, events);
    }

    void radioButtonsStandOut_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("classicLook");
        QTest::newRow("default") << QApplication::palette() << true;
        // The colors Qt takes from GTK's Adwaita:dark, the shadow left black.
        QTest::newRow("dark") << QPalette(QColor(0xf0f0f0), QColor(0x323232), QColor(0x4b4b4b),
                                          QColor(0x212121), QColor(0x262626), QColor(0xf0f0f0),
                                          QColor(0x4b4b4b), QColor(0x242424), QColor(0x323232))
                              << false;
    }
    void radioButtonsStandOut()
    {
        QFETCH(QPalette, palette);
        QFETCH(bool, classicLook);
        QApplication::setPalette(palette);
        WindowFixture w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        // The whole window, so that what lies behind each button is what the operator sees.
        const QImage image = w.form->grab().toImage();
        for (TRadioGroup* group : {w.form->RadioGroup1, w.form->RadioGroup3, w.form->RadioGroup4}) {
            for (int i = 0; i < group->Items().size(); ++i) {
                QRadioButton* radio = group->button(i);
                QStyleOptionButton option;
                option.initFrom(radio);
                const QPoint origin = radio->mapTo(w.form.get(), QPoint());
                const QRect indicator =
                    radio->style()
                        ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio)
                        .translated(origin);
                const QRect caption(indicator.right() + 2, origin.y(),
                                    radio->width() - indicator.width() - 2, radio->height());
                QVERIFY2(contrastWithin(image, indicator) >= 3.0, qPrintable(radio->text()));
                QVERIFY2(contrastWithin(image, caption) >= 4.5, qPrintable(radio->text()));
            }
        }
        // Where the palette's own colors stand out, the buttons look as the plain classic
        // style draws them, pixel for pixel.
        QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"));
        classic->setParent(w.form.get());
        for (QRadioButton* radio : w.form->findChildren<QRadioButton*>()) {
            radio->setStyle(classic);
        }
        QCOMPARE(w.form->grab().toImage() == image, classicLook);
    }

private:
    QPalette defaultPalette;
};

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
