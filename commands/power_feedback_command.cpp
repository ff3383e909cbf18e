// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "power_feedback_command.h"

QString feedbackQueryLine(const QString& moduleText)
{
    return QStringLiteral("GET FB S88 ") + moduleText + QStringLiteral(" \n");
}
