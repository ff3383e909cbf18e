// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "desktop_identity.h"

#include <QGuiApplication>
#include <QIcon>

void setDesktopIdentity()
{
    QGuiApplication::setDesktopFileName(DesktopEntryId);
    QCoreApplication::setApplicationName(WindowClassName);
#ifndef Q_OS_WIN
    // The theme holds the package's icon as SVG, which Qt reads only with its SVG module, not
    // among the package's dependencies. The copy inside the program is the Windows icon file:
    // every size from 16 to 256 pixels, read by an image plugin of Qt's GUI library itself.
    // Windows gives the windows the program's own icon resource.
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(ThemeIconName, QIcon(QStringLiteral(":/icons/kolvo-testclient.ico"))));
#endif
}
