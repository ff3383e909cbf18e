// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QTest>

#include <memory>

// The rows of one data-driven test share one window, and with it one connection to the peer:
// it is built for the first row and replaced when the next test function starts. Each row sets
// up what it needs and clears what it reads.
template <typename Window> class WindowPerTest
{
public:
    [[nodiscard]] Window& forThisRow()
    {
        const QByteArray function = QTest::currentTestFunction();
        if (!window || function != owner) {
            window.reset();
            window = std::make_unique<Window>();
            owner = function;
        }
        return *window;
    }

    void release() { window.reset(); }

private:
    std::unique_ptr<Window> window;
    QByteArray owner;
};
