#include "log_pane.h"

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
    if (!appended.isEmpty() || !document()->isEmpty()) {
        shown.prepend(u'\n');
    }
    appended.append(entry);
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
