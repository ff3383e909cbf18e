// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tform1.h"

#include "conversion.h"
#include "field_text.h"
#include "loco_command.h"
#include "nano_pause.h"
#include "power_feedback_command.h"
#include "tclient_socket.h"
#include "tradio_group.h"
#include "turnout_command.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

void TForm1::gerade_ButtonClick()
{
    pulseTurnout(TurnoutRoute::Straight);
}

void TForm1::abbiegen_ButtonClick()
{
    pulseTurnout(TurnoutRoute::Diverging);
}

void TForm1::pulseTurnout(TurnoutRoute route)
{
    const QString prefix = turnoutPrefix(RadioGroup4->ItemIndex());
    const QString text = SendenEdit->text();
    if (text.isEmpty()) {
        return;
    }
    const QString address = IntToStr(StrToInt(text));
    const QString onLine = turnoutLine(prefix, address, route, true);
    const QString offLine = turnoutLine(prefix, address, route, false);
    appendToLog(onLine);
    ClientSocket1->SendText(onLine);
    // The drive gets its current for exactly this long; the window is held meanwhile. Without
    // a usable counter the pause returns at once and the off-line follows right away.
    PauseTimer->Pause(TurnoutPulseMicroseconds);
    appendToLog(offLine);
    ClientSocket1->SendText(offLine);
}

void TForm1::SendLocoCommand()
{
    // Refused text builds no line, so the tokens keep those of the last one.
    const QString address = Loknr_edit->text();
    requireSendableFieldText(address, QStringLiteral("Loknummer"));
    Loco.LocoProtocol = locoProtocolToken(RadioGroup1->ItemIndex(), RadioGroup3->ItemIndex(),
                                          RadioGroup2->ItemIndex(), Loco.LocoProtocol);
    Loco.LocoSpeed = locoSpeedToken(ScrollBar1->maximum(), ScrollBar1->value());
    Loco.LocoMaxSpeed = numberToken(ScrollBar1->maximum());
    const QString line = locoLine(Loco.LocoPrefix, Loco.LocoProtocol, address, Loco.LocoDirection,
                                  Loco.LocoSpeed, Loco.LocoMaxSpeed, Loco.LocoFunction);
    appendToLog(line);
    if (ClientSocket1->Active()) {
        ClientSocket1->SendText(line);
    }
}

void TForm1::ScrollBar1Change()
{
    // Direction may change only at standstill, which is the bottom end of the bar.
    Button2->setEnabled(ScrollBar1->value() == ScrollBar1->maximum());
    SendLocoCommand();
}

void TForm1::Button2Click()
{
    if (Loco.LocoDirectionFlag != 0) {
        Loco.LocoDirectionFlag = 0;
        Loco.LocoDirection = QStringLiteral("0 ");
    } else {
        Loco.LocoDirectionFlag = 1;
        Loco.LocoDirection = QStringLiteral("1 ");
    }
    SendLocoCommand();
}

void TForm1::Button5Click()
{
    // The caption is the function's state: the operator sees exactly what the next line sends.
    if (Button5->text() == QLatin1String("off")) {
        Button5->setText(QStringLiteral("on"));
        Loco.LocoFunction = QStringLiteral("1 ");
    } else {
        Button5->setText(QStringLiteral("off"));
        Loco.LocoFunction = QStringLiteral("0 ");
    }
    SendLocoCommand();
}

void TForm1::RadioGroup1Click()
{
    if (RadioGroup1->ItemIndex() == 0) {
        RadioGroup3->show();
        RadioGroup2->hide();
    } else if (RadioGroup1->ItemIndex() == 1) {
        RadioGroup2->show();
        RadioGroup3->hide();
    }
}

void TForm1::Button4Click()
{
    appendToLog(PowerOnLine);
    ClientSocket1->SendText(PowerOnLine);
}

void TForm1::Button3Click()
{
    appendToLog(PowerOffLine);
    ClientSocket1->SendText(PowerOffLine);
}

void TForm1::Button1Click()
{
    const QString module = Rueck_edit->text();
    requireSendableFieldText(module, QStringLiteral("Rückmeldemodul"));
    ClientSocket1->SendText(feedbackQueryLine(module));
}
