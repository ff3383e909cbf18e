#include "status_bar.h"

#include <QLabel>

namespace {
// A panel is narrow; the rest of a flood is never visible and only costs layout time.
constexpr qsizetype DisplayedCharacters = 256;
constexpr int PanelWidth = 100;
} // namespace

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), panelLabel(new QLabel(this))
{
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
    text = newText;
    panelLabel->setText(singleLineDisplayText(text));
}

QString singleLineDisplayText(const QString& text)
{
    QString shown = text.left(DisplayedCharacters);
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
