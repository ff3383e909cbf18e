// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWidget;

// Views for screen readers that replace Qt's generic ones where those tell the operator too
// little or the wrong thing.
enum class AccessibleView {
    // The status panel: the received text, whole and on one line, as name and text.
    StatusPanel,
    // A button whose caption is a state ("off", "on"): the name joins its label and caption.
    StateCaption,
    // The speed bar, full speed at the top: its value is the speed the locomotive line
    // carries, the maximum minus the position, and "increase" drives faster.
    SpeedBar,
};

// Gives `control` its view from now on, also where Qt made a generic one while building it.
void setAccessibleView(QWidget* control, AccessibleView view);
