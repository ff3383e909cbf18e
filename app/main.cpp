// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "desktop_identity.h"
#include "exception_display.h"
#include "handler_runner.h"
#include "tform1.h"

#include <QApplication>

#include <exception>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    setDesktopIdentity();
    applicationHandlers().setDisplay(&showExceptionMessage);
    try {
        TForm1 Form1;
        Form1.show();
        QApplication::exec();
    } catch (const std::exception& error) {
        showExceptionMessage(QString::fromUtf8(error.what()));
    }
    // A failed start ends like a normal close.
    return 0;
}
