// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProxyStyle>

// The classic Windows look, whose metrics the window's fixed layout is drawn for, with radio
// buttons that stay visible on any palette. The look shades a radio button's ring with the
// palette's 3D edge colors; dark schemes set all of them close to the background, and an
// unchecked button all but disappears. Where none of those edges stands out, the ring takes
// the color of the text beside it; where one does, as on the default palette, nothing changes.
class LegibleClassicStyle : public QProxyStyle
{
    Q_OBJECT

public:
    LegibleClassicStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
