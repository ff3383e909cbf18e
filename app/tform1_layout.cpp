// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tform1.h"

#include "legible_classic_style.h"
#include "log_pane.h"
#include "tradio_group.h"
#include "tstatus_bar.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <initializer_list>

namespace {
constexpr int ClientWidth = 600;
constexpr int ClientHeight = 323;
constexpr int StatusBarHeight = 19;

struct Placement
{
    QWidget* widget;
    int left;
    int top;
    int width;
    int height;
};

QFont windowFont()
{
    // The layout is drawn for this face at 11 pixels; Liberation Sans has close metrics.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}
} // namespace

void TForm1::applyLayout()
{
    // The fixed positions assume group captions drawn on the frame line, as the classic
    // Windows look does; other styles put them above the frame and push the contents down.
    auto* classic = new LegibleClassicStyle;
    classic->setParent(this);
    setStyle(classic);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setStyle(classic);
    }
    setFont(windowFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    move(192, 107);
    resize(ClientWidth, ClientHeight);

    const std::initializer_list<Placement> placements = {
        {Label1, 8, 8, 56, 13},
        {PortEdit, 8, 24, 73, 21},
        {Label3, 8, 48, 22, 13},
        {Hostedit, 8, 64, 73, 21},
        {VerbindenButton, 8, 96, 121, 25},
        {TrennenButton, 8, 120, 121, 25},
        {Button4, 8, 144, 121, 25},
        {Button3, 8, 168, 121, 25},
        {GroupBox2, 8, 200, 121, 89},
        {Rueck_edit, 16, 24, 81, 21},
        {Button1, 16, 56, 81, 25},
        {GroupBox1, 152, 8, 233, 89},
        {Label2, 16, 16, 55, 13},
        {SendenEdit, 88, 16, 49, 21},
        {gerade_Button, 8, 48, 73, 25},
        {abbiegen_Button, 80, 48, 73, 25},
        {RadioGroup4, 160, 16, 65, 65},
        {GroupBox3, 152, 104, 233, 185},
        {Label4, 8, 24, 55, 13},
        {Label5, 80, 24, 41, 13},
        {Loknr_edit, 8, 48, 57, 21},
        {Button5, 72, 48, 41, 25},
        {Button2, 8, 80, 105, 25},
        {RadioGroup1, 128, 16, 65, 97},
        {ScrollBar1, 201, 8, 16, 121},
        {RadioGroup2, 8, 136, 217, 33},
        {RadioGroup3, 8, 136, 217, 33},
        {Memo1, 400, 16, 153, 225},
    };
    for (const Placement& p : placements) {
        p.widget->setGeometry(p.left, p.top, p.width, p.height);
    }
    // Captions size themselves to their text, as labels do, so a wider substitute face never
    // clips them.
    for (QLabel* label : {Label1, Label3, Label2, Label4, Label5}) {
        label->resize(qMax(label->width(), label->sizeHint().width()), label->height());
    }
    StatusBar1->setFixedHeight(StatusBarHeight);
    StatusBar1->setGeometry(0, ClientHeight - StatusBarHeight, ClientWidth, StatusBarHeight);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The status bar stays along the bottom edge at full width; everything else stays put.
    StatusBar1->setGeometry(0, height() - StatusBarHeight, width(), StatusBarHeight);
}

void TForm1::applyTabOrder()
{
    // Window level: PortEdit, VerbindenButton, TrennenButton, GroupBox1, Hostedit, Memo1,
    // GroupBox2, GroupBox3, Button3, Button4; inside each group its own order.
    QList<QWidget*> chain = {PortEdit,      VerbindenButton, TrennenButton,
                             gerade_Button, SendenEdit,      abbiegen_Button};
    const auto addGroup = [&chain](TRadioGroup* group) {
        for (int i = 0; i < group->Items().size(); ++i) {
            chain.append(group->button(i));
        }
    };
    addGroup(RadioGroup4);
    chain << Hostedit << Memo1 << Button1 << Rueck_edit << ScrollBar1 << Loknr_edit << Button2
          << Button5;
    addGroup(RadioGroup1);
    addGroup(RadioGroup2);
    addGroup(RadioGroup3);
    chain << Button3 << Button4;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        setTabOrder(chain.at(i - 1), chain.at(i));
    }
}
