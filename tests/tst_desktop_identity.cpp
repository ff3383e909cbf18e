// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "desktop_identity.h"
#include "warnings_fail.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QTest>

// A key of the [Desktop Entry] group, as desktops read it.
static QString desktopEntryValue(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QStringLiteral("<%1 unreadable>").arg(path);
    }
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
        } else if (inEntry && line.startsWith(key + u'=')) {
            return line.mid(key.size() + 1);
        }
    }
    return QStringLiteral("<no %1>").arg(key);
}

// What the running program tells the windowing system matches the desktop entry and the icon
// the package installs, so that desktops tie its window to the entry: renaming either side
// fails here.
class tst_DesktopIdentity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setDesktopIdentity(); }
    void init() { failOnAnyWarning(); }

    void programMatchesTheInstalledEntry_data()
    {
        const QString entry = QStringLiteral(KOLVO_DESKTOP_ENTRY);
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("program");
        // Wayland's app_id; desktops look the entry up by its file name.
        QTest::newRow("entry file name")
            << QFileInfo(entry).fileName() << QGuiApplication::desktopFileName() + ".desktop";
        // X11's WM_CLASS: Qt sends the application name as its class.
        QTest::newRow("StartupWMClass")
            << desktopEntryValue(entry, QStringLiteral("StartupWMClass"))
            << QCoreApplication::applicationName();
        QTest::newRow("Icon") << desktopEntryValue(entry, QStringLiteral("Icon")) << ThemeIconName;
        QTest::newRow("icon file in the theme")
            << QFileInfo(QStringLiteral(KOLVO_THEME_ICON)).completeBaseName() << ThemeIconName;
    }
    void programMatchesTheInstalledEntry()
    {
        QFETCH(QString, installed);
        QFETCH(QString, program);
        QCOMPARE(program, installed);
    }

    // Without a theme that holds it, the icon is the program's own copy: a title bar, a taskbar
    // and Alt+Tab each find their size.
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
        const QPixmap pixmap = QGuiApplication::windowIcon().pixmap(QSize(side, side));
        QCOMPARE(pixmap.size(), QSize(side, side));
    }
};

QTEST_MAIN(tst_DesktopIdentity)
#include "tst_desktop_identity.moc"
