// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "exception_display.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

void showExceptionMessage(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fehler"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
