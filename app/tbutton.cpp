// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tbutton.h"

#include <QKeyEvent>

TButton::TButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setAutoDefault(false);
}

void TButton::keyPressEvent(QKeyEvent* event)
{
    const bool returnKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Enter on the number pad carries the keypad modifier; any other modifier makes it a
    // different key.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!returnKey || !plain) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // One click per press, as Space gives: a held key repeats nothing.
    if (!event->isAutoRepeat()) {
        click();
    }
    event->accept();
}
