// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStatusBar>
#include <QString>

class QLabel;

// A status bar with one panel of fixed width. The panel holds exactly the text it was given
// and shows it as plain characters on one line, whatever the text contains; the whole line is
// its tooltip and what a screen reader reads, announced with every new text.
class TStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit TStatusBar(QWidget* parent = nullptr);

    void setPanelText(const QString& text);
    // The whole text shaped for one line.
    [[nodiscard]] QString panelLine() const { return m_line; }

private:
    QLabel* m_panelLabel;
    QString m_line;
};

// One line of plain characters for display: line ends and tabs as blanks, other control
// characters as a middle dot.
[[nodiscard]] QString singleLineText(const QString& text);
