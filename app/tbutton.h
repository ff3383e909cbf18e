// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPushButton>

// A push button that Return and Enter click while it has the focus, as Space does and as
// buttons of the classic Windows look do. It never becomes a default button, so it looks and
// sizes as a plain one.
class TButton : public QPushButton
{
    Q_OBJECT

public:
    explicit TButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
