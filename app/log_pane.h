// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPlainTextEdit>
#include <QString>

// The log: each appended text becomes one entry at the end, shown with its own line ends, so
// a command line that ends in CR LF is followed by an empty line.
class LogPane : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LogPane(QWidget* parent = nullptr);

    void append(const QString& entry);

private:
    // Puts the entries gathered since the last turn of the event loop into the view.
    void showPendingEntries();

    // An empty entry shows nothing, yet the next one still starts a line of its own.
    bool m_hasEntries = false;
    // Text for the view, gathered until the event loop runs again.
    QString m_pending;
};
