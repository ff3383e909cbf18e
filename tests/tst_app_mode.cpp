// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "legibility.h"
#include "tradio_group.h"
#include "warnings_fail.h"
#include "window_fixture.h"

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QRadioButton>
#include <QSettings>
#include <QStyleHints>
#include <QStyleOptionButton>

// The window on Windows' own platform, in the app mode (light or dark) the user chose in
// Windows' settings: its colors follow that choice, as they follow the desktop's scheme on
// Linux, and everything stays legible and uncut in the font the window actually gets.
// Run under Wine once in each mode (KOLVO_WINE_APP_MODE); elsewhere it has nothing to read.

namespace {
// Where Windows keeps the app mode: 1 light, 0 dark, missing before the user ever chose.
constexpr auto PersonalizeKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Captions and field text need 4.5, the shape of a control 3.
constexpr double TextContrast = 4.5;
constexpr double ShapeContrast = 3.0;

// The area of a control where its text lies: inside a button's bevel, inside a field's frame.
QRect textArea(const QWidget& control)
{
    return control.contentsRect()
        .adjusted(2, 2, -2, -2)
        .translated(control.mapTo(control.window(), QPoint()));
}
} // namespace

class tst_AppMode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QVariant light =
            QSettings(QString::fromLatin1(PersonalizeKey), QSettings::NativeFormat)
                .value(QStringLiteral("AppsUseLightTheme"));
        if (QGuiApplication::platformName() != u"windows" || !light.isValid()) {
            QSKIP("Needs Windows' own platform with an app mode set (KOLVO_WINE_APP_MODE)");
        }
        dark = light.toInt() == 0;
        qInfo("App mode %s; the window's font is %s", dark ? "dark" : "light",
              qPrintable(QFontInfo(WindowFixture().form->font()).family()));
    }
    void init() { failOnAnyWarning(); }

    void paletteFollowsAppMode()
    {
        QCOMPARE(QGuiApplication::styleHints()->colorScheme(),
                 dark ? Qt::ColorScheme::Dark : Qt::ColorScheme::Light);
        WindowFixture w;
        const QPalette& palette = w.form->palette();
        for (const QPalette::ColorRole background :
             {QPalette::Window, QPalette::Base, QPalette::Button}) {
            QCOMPARE(relativeLuminance(palette.color(background)) < 0.2, dark);
        }
    }

    void everythingStandsOut()
    {
        WindowFixture w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        const QImage image = w.form->grab().toImage();
        for (const auto* label : w.form->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisibleTo(w.form.get())) {
                continue;
            }
            const QRect area(label->mapTo(w.form.get(), QPoint()), label->size());
            QVERIFY2(contrastWithin(image, area) >= TextContrast, qPrintable(label->text()));
        }
        for (const auto* button : w.form->findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(w.form.get())) {
                continue;
            }
            QVERIFY2(contrastWithin(image, textArea(*button)) >= TextContrast,
                     qPrintable(button->text()));
        }
        for (const auto* field : w.form->findChildren<QLineEdit*>()) {
            if (!field->text().isEmpty() && field->isVisibleTo(w.form.get())) {
                QVERIFY2(contrastWithin(image, textArea(*field)) >= TextContrast,
                         qPrintable(field->objectName()));
            }
        }
        for (const auto* group : w.form->findChildren<QGroupBox*>()) {
            if (group->title().isEmpty() || !group->isVisibleTo(w.form.get())) {
                continue;
            }
            const QRect title(group->mapTo(w.form.get(), QPoint()),
                              QSize(group->width(), group->fontMetrics().height()));
            QVERIFY2(contrastWithin(image, title) >= TextContrast, qPrintable(group->title()));
        }
        for (const auto* radio : w.form->findChildren<QRadioButton*>()) {
            if (!radio->isVisibleTo(w.form.get())) {
                continue;
            }
            QStyleOptionButton option;
            option.initFrom(radio);
            const QPoint origin = radio->mapTo(w.form.get(), QPoint());
            const QRect mark = radio->style()
                                   ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio)
                                   .translated(origin);
            const QRect caption(mark.right() + 2, origin.y(), radio->width() - mark.width() - 2,
                                radio->height());
            QVERIFY2(contrastWithin(image, mark) >= ShapeContrast, qPrintable(radio->text()));
            QVERIFY2(contrastWithin(image, caption) >= TextContrast, qPrintable(radio->text()));
        }
    }

    void captionsFit()
    {
        WindowFixture w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QCOMPARE(captionsCutOff(*w.form), QStringList());
    }

private:
    bool dark = false;
};

QTEST_MAIN(tst_AppMode)
#include "tst_app_mode.moc"
