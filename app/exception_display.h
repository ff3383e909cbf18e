// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QString;

// Shows a failure to the operator in a modal message box over the active window.
void showExceptionMessage(const QString& message);
