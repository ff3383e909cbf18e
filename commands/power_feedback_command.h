// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The blank before CR LF is part of the line servers receive.
inline const QString PowerOnLine = QStringLiteral("SET POWER ON \r\n");
inline const QString PowerOffLine = QStringLiteral("SET POWER OFF \r\n");

// The module text goes in exactly as typed; the query ends in a blank and a lone LF.
[[nodiscard]] QString feedbackQueryLine(const QString& moduleText);
