// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "desktop_identity.h"
#include "warnings_fail.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

// The value of KEY in the desktop entry, which has the one group [Desktop Entry].
static QString entryValue(const QString& key)
{
    QFile file(QStringLiteral(KOLVO_DESKTOP_ENTRY));
    const QString text =
        file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(key),
                                  QRegularExpression::MultilineOption);
    return line.match(text).captured(1);
}

// What the running program tells the windowing system matches the desktop entry and the icon
// the package installs, so that desktops tie its window to the entry.
class tst_DesktopIdentity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setDesktopIdentity(); }
    void init() { failOnAnyWarning(); }

    void programMatchesTheInstalledEntry_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("program");
        // Wayland's app_id; desktops look the entry up by its file name.
        QTest::newRow("entry file name")
            << QFileInfo(QStringLiteral(KOLVO_DESKTOP_ENTRY)).fileName()
            << QGuiApplication::desktopFileName() + ".desktop";
        // Qt sends the application name as the class of X11's WM_CLASS.
        QTest::newRow("StartupWMClass")
            << entryValue(QStringLiteral("StartupWMClass")) << QCoreApplication::applicationName();
        QTest::newRow("Icon") << entryValue(QStringLiteral("Icon")) << ThemeIconName;
        QTest::newRow("icon file in the theme")
            << QFileInfo(QStringLiteral(KOLVO_THEME_ICON)).completeBaseName() << ThemeIconName;
    }
    void programMatchesTheInstalledEntry()
    {
        QFETCH(QString, installed);
        QFETCH(QString, program);
        QCOMPARE(program, installed);
    }

    // Without a theme that holds it, the window's icon is the program's own copy.
    void windowIconComesInEverySize_data()
    {
        QTest::addColumn<int>("side");
        for (const int side : {16, 32, 48, 256}) {
            QTest::addRow("%d px", side) << side;
        }
    }
    void windowIconComesInEverySize()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows gives the windows the program's icon resource");
#endif
        QFETCH(int, side);
        // Asked for a size it lacks, an icon scales a larger image down: only the sizes it
        // holds tell.
        const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
        QStringList held;
        for (const QSize& size : sizes) {
            held << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        }
        QVERIFY2(sizes.contains(QSize(side, side)),
                 qPrintable(QStringLiteral("the icon holds: ") + held.join(u' ')));
    }
};

QTEST_MAIN(tst_DesktopIdentity)
#include "tst_desktop_identity.moc"
