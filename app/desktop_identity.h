// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// How the program names itself to the windowing system, so that desktops tie its windows to
// the menu entry the package installs (packaging/org.kolvo.testclient.desktop): the taskbar,
// the dock and Alt+Tab then show that entry's name and icon.

// The desktop entry's id, its file name without ".desktop"; Wayland's app_id.
inline const QString DesktopEntryId = QStringLiteral("org.kolvo.testclient");
// The class of X11's WM_CLASS, which the entry names as its StartupWMClass. Qt takes it from
// the application name, set here so that it does not follow the name the program was started
// by.
inline const QString WindowClassName = QStringLiteral("kolvo-testclient");
// The icon the package installs into the hicolor theme, and the entry's Icon.
inline const QString ThemeIconName = QStringLiteral("kolvo-testclient");

// Gives the running application those names and its windows the icon: from the icon theme,
// else the program's own copy (on Windows, the program's icon resource). Call once the
// application object exists.
void setDesktopIdentity();
