#include "status_bar.h"

#include "accessible_views.h"

#include <QAccessible>
#include <QLabel>
#include <QTextDocument>

namespace {
// A panel is narrow; the rest of a flood is never visible and only costs layout time.
constexpr qsizetype DisplayedCharacters = 256;
constexpr int PanelWidth = 100;

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

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), panelLabel(new QLabel(this))
{
    setAccessibleView(panelLabel, AccessibleView::StatusPanel);
    setSizeGripEnabled(false);
    panelLabel->setObjectName(QStringLiteral("StatusPanel0"));
    panelLabel->setTextFormat(Qt::PlainText);
    panelLabel->setWordWrap(false);
    panelLabel->setFixedWidth(PanelWidth);
    panelLabel->setFrameShape(QFrame::Panel);
    panelLabel->setFrameShadow(QFrame::Sunken);
    panelLabel->setAccessibleName(QStringLiteral("Statuszeile"));
    addWidget(panelLabel);
}

void TStatusBar::setPanelText(const QString& newText)
{
    const QString before = line;
    text = newText;
    line = singleLineText(text);
    panelLabel->setText(line.left(DisplayedCharacters));
    panelLabel->setToolTip(toolTipFor(line));
    // Each text is a new reply, worth announcing even where it repeats the last one.
    if (before.isEmpty() && line.isEmpty()) {
        return;
    }
    QAccessibleTextUpdateEvent replaced(panelLabel, 0, before, line);
    QAccessible::updateAccessibility(&replaced);
    QAccessibleEvent renamed(panelLabel, QAccessible::NameChanged);
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
