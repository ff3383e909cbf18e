// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tform1.h"

#include "accessible_views.h"
#include "handler_runner.h"
#include "loco_command.h"
#include "log_pane.h"
#include "nano_pause.h"
#include "tbutton.h"
#include "tclient_socket.h"
#include "tradio_group.h"
#include "tstatus_bar.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

std::unique_ptr<NanoPause> PauseTimer;

namespace {
QLineEdit* makeEdit(const char* name, const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton* makeButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new TButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QLabel* makeLabel(const char* name, const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    // A screen reader names the field as the window shows it.
    buddy->setAccessibleName(caption);
    return label;
}

QGroupBox* makeGroup(const char* name, const QString& caption, QWidget* parent)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

TRadioGroup* makeRadioGroup(const char* name, const QString& caption, const QStringList& items,
                            int columns, QWidget* parent)
{
    auto* group = new TRadioGroup(caption, items, columns, parent);
    group->setObjectName(QLatin1String(name));
    for (int i = 0; i < items.size(); ++i) {
        group->button(i)->setObjectName(
            QStringLiteral("%1_%2").arg(group->objectName(), QString::number(i)));
    }
    group->setItemIndex(0);
    return group;
}
} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    createControls();
    applyLayout();
    applyTabOrder();
    connectEvents();

    // The program has one window, so this runs once: the timer is created and calibrated
    // before the window's create handler, and lives on until the program ends.
    if (!PauseTimer) {
        PauseTimer = std::make_unique<NanoPause>();
        PauseTimer->Calibrate();
    }

    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::createControls()
{
    const QStringList protocols = {QStringLiteral("Märklin"), QStringLiteral("DCC")};

    PortEdit = makeEdit("PortEdit", QStringLiteral("12345"), this);
    Label1 = makeLabel("Label1", QStringLiteral("Portnummer"), PortEdit, this);
    Hostedit = makeEdit("Hostedit", QStringLiteral("localhost"), this);
    Label3 = makeLabel("Label3", QStringLiteral("Host"), Hostedit, this);
    VerbindenButton = makeButton("VerbindenButton", QStringLiteral("verbinden"), this);
    TrennenButton = makeButton("TrennenButton", QStringLiteral("trennen"), this);
    Button4 = makeButton("Button4", QStringLiteral("Spannung an"), this);
    Button3 = makeButton("Button3", QStringLiteral("Spannung aus"), this);

    GroupBox1 = makeGroup("GroupBox1", QString(), this);
    GroupBox1->setAccessibleName(QStringLiteral("Weiche"));
    SendenEdit = makeEdit("SendenEdit", QStringLiteral("1"), GroupBox1);
    Label2 = makeLabel("Label2", QStringLiteral("Weichennr."), SendenEdit, GroupBox1);
    gerade_Button = makeButton("gerade_Button", QStringLiteral("gerade"), GroupBox1);
    abbiegen_Button = makeButton("abbiegen_Button", QStringLiteral("abbiegen"), GroupBox1);
    RadioGroup4 =
        makeRadioGroup("RadioGroup4", QStringLiteral("Protokoll"), protocols, 1, GroupBox1);

    GroupBox2 = makeGroup("GroupBox2", QStringLiteral("Rückmeldemodul"), this);
    Rueck_edit = makeEdit("Rueck_edit", QStringLiteral("1"), GroupBox2);
    Rueck_edit->setAccessibleName(QStringLiteral("Rückmeldemodul"));
    Button1 = makeButton("Button1", QStringLiteral("abfragen"), GroupBox2);

    GroupBox3 = makeGroup("GroupBox3", QStringLiteral("Loksteuerung"), this);
    Loknr_edit = makeEdit("Loknr_edit", QStringLiteral("1"), GroupBox3);
    Label4 = makeLabel("Label4", QStringLiteral("Loknummer"), Loknr_edit, GroupBox3);
    Button5 = makeButton("Button5", QStringLiteral("off"), GroupBox3);
    setAccessibleView(Button5, AccessibleView::StateCaption);
    Label5 = makeLabel("Label5", QStringLiteral("Funktion"), Button5, GroupBox3);
    Button2 = makeButton("Button2", QStringLiteral("Richtung wechseln"), GroupBox3);
    ScrollBar1 = new QScrollBar(Qt::Vertical, GroupBox3);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    setAccessibleView(ScrollBar1, AccessibleView::SpeedBar);
    ScrollBar1->setAccessibleName(QStringLiteral("Geschwindigkeit"));
    ScrollBar1->setRange(0, 100);
    ScrollBar1->setSingleStep(1);
    // The thumb stays minimal; a click beside it moves one step, like an arrow.
    ScrollBar1->setPageStep(1);
    ScrollBar1->setValue(100);
    ScrollBar1->setFocusPolicy(Qt::StrongFocus);
    RadioGroup1 =
        makeRadioGroup("RadioGroup1", QStringLiteral("Protokoll"), protocols, 1, GroupBox3);
    RadioGroup2 = makeRadioGroup("RadioGroup2", QStringLiteral("Dekoder"),
                                 {QStringLiteral("NB"), QStringLiteral("N1"), QStringLiteral("N2"),
                                  QStringLiteral("N3"), QStringLiteral("N4")},
                                 5, GroupBox3);
    RadioGroup2->hide();
    RadioGroup3 =
        makeRadioGroup("RadioGroup3", QStringLiteral("Dekoder"),
                       {QStringLiteral("normal"), QStringLiteral("erweitert")}, 2, GroupBox3);

    Memo1 = new LogPane(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Befehlsprotokoll"));
    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));

    ClientSocket1 = new TClientSocket(this);
    ClientSocket1->setObjectName(QStringLiteral("ClientSocket1"));
}

void TForm1::FormCreate()
{
    setWindowTitle(QStringLiteral("Testclient für Kolvo-Server"));
    RadioGroup1->setItemIndex(0);
    RadioGroup4->setItemIndex(0);
    RadioGroup2->hide();
    RadioGroup2->setItemIndex(0);
    RadioGroup3->show();
    RadioGroup3->setItemIndex(0);
    Loco.LocoDirectionFlag = 1;
    Loco.LocoDirection = QStringLiteral("1 ");
    Loco.LocoFunction = QStringLiteral("0 ");
    ClientSocket1->setHost(QStringLiteral("localhost"));
    ClientSocket1->setPort(12345);
}

void TForm1::connectEvents()
{
    // Every event goes through the application's handler runner, so an error raised in a
    // handler is shown and the program goes on. A handler that only takes what is there when it
    // runs (the arrived text, the bar's position, the protocol choice) waits once for all of its
    // events; every other event runs, a second press of a toggle too.
    const auto on = [this](auto* sender, auto signal, void (TForm1::*handler)(),
                           const char* mergeKey = nullptr) {
        connect(sender, signal, this, [this, handler, mergeKey] {
            const auto call = [this, handler] { (this->*handler)(); };
            if (mergeKey != nullptr) {
                applicationHandlers().runMerged(QLatin1String(mergeKey), call);
            } else {
                applicationHandlers().run(call);
            }
        });
    };
    on(VerbindenButton, &QPushButton::clicked, &TForm1::VerbindenButtonClick);
    on(TrennenButton, &QPushButton::clicked, &TForm1::TrennenButtonClick);
    on(ClientSocket1, &TClientSocket::OnConnect, &TForm1::ClientSocket1Connect);
    on(ClientSocket1, &TClientSocket::OnRead, &TForm1::ClientSocket1Read, "ClientSocket1Read");
    on(gerade_Button, &QPushButton::clicked, &TForm1::gerade_ButtonClick);
    on(abbiegen_Button, &QPushButton::clicked, &TForm1::abbiegen_ButtonClick);
    on(ScrollBar1, &QScrollBar::valueChanged, &TForm1::ScrollBar1Change, "ScrollBar1Change");
    on(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(Button5, &QPushButton::clicked, &TForm1::Button5Click);
    on(RadioGroup1, &TRadioGroup::OnClick, &TForm1::RadioGroup1Click, "RadioGroup1Click");
    on(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    on(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    on(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    connect(ClientSocket1, &TClientSocket::OnFailure, this, &TForm1::showConnectionFailure);
}

void TForm1::appendToLog(const QString& text)
{
    Memo1->append(text);
}

void TForm1::setStatusLine(const QString& text)
{
    StatusBar1->setPanelText(text);
}

void TForm1::showConnectionFailure(const QString& message)
{
    applicationHandlers().report(message);
}
