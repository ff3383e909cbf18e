// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tstatus_bar.h"

#include "accessible_views.h"

#include <QAccessible>
#include <QLabel>
#include <QTextDocument>

namespace {
// A panel is narrow; the rest of a flood is never visible and only costs layout time.
constexpr qsizetype DisplayedCharacters = 256;
constexpr int PanelWidth = 100;
// Where the text starts inside the frame. Qt derives it from the width of an "x" unless told,
// which under Windows' "MS Sans Serif" puts the first letter on the frame; this is what
// Liberation Sans at 11 pixels gives.
constexpr int PanelIndent = 3;

// Plain text, unless the tooltip would take it for markup: then escaped, so that it still
// shows literally.
QString toolTipFor(const QString& line)
{
    if (!Qt::mightBeRichText(line)) {
        return line;
    }
    return QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(line.toHtmlEscaped());
}
} // namespace

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), m_panelLabel(new QLabel(this))
{
    setAccessibleView(m_panelLabel, AccessibleView::StatusPanel);
    setSizeGripEnabled(false);
    m_panelLabel->setObjectName(QStringLiteral("StatusPanel0"));
    m_panelLabel->setTextFormat(Qt::PlainText);
    m_panelLabel->setWordWrap(false);
    m_panelLabel->setFixedWidth(PanelWidth);
    m_panelLabel->setIndent(PanelIndent);
    m_panelLabel->setFrameShape(QFrame::Panel);
    m_panelLabel->setFrameShadow(QFrame::Sunken);
    m_panelLabel->setAccessibleName(QStringLiteral("Statuszeile"));
    addWidget(m_panelLabel);
}

void TStatusBar::setPanelText(const QString& newText)
{
    const QString before = m_line;
    m_line = singleLineText(newText);
    m_panelLabel->setText(m_line.left(DisplayedCharacters));
    m_panelLabel->setToolTip(toolTipFor(m_line));
    // Each text is a new reply, worth announcing even where it repeats the last one.
    if (before.isEmpty() && m_line.isEmpty()) {
        return;
    }
    QAccessibleTextUpdateEvent replaced(m_panelLabel, 0, before, m_line);
    QAccessible::updateAccessibility(&replaced);
    QAccessibleEvent renamed(m_panelLabel, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

QString singleLineText(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown) {
        const char16_t code = c.unicode();
        if (code == u'\r' || code == u'\n' || code == u'\t') {
            c = u' ';
        } else if (code < 0x20 || (code >= 0x7f && code < 0xa0)) {
            c = QChar(0x00b7);
        }
    }
    return shown;
}
