// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "log_pane.h"

#include <QMetaObject>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

LogPane::LogPane(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab moves on to the next control, as in every other field of the window.
    setTabChangesFocus(true);
}

void LogPane::append(const QString& entry)
{
    QString shown = entry;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    // An entry starts a line of its own, also after text the operator typed into the pane.
    if (m_hasEntries || !document()->isEmpty()) {
        shown.prepend(u'\n');
    }
    m_hasEntries = true;
    // The view cannot repaint before the handler returns, so laying the text out now would
    // only delay what the handler does next, such as the off-line of a turnout pulse. The
    // entries of one turn go into the view together.
    if (m_pending.isEmpty() && !shown.isEmpty()) {
        QMetaObject::invokeMethod(this, &LogPane::showPendingEntries, Qt::QueuedConnection);
    }
    m_pending += shown;
}

void LogPane::showPendingEntries()
{
    if (m_pending.isEmpty()) {
        return;
    }
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(m_pending);
    m_pending.clear();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
