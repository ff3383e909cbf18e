// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tform1.h"

#include "conversion.h"
#include "tclient_socket.h"

#include <QLineEdit>

void TForm1::VerbindenButtonClick()
{
    const QString portText = PortEdit->text();
    if (!portText.isEmpty()) {
        ClientSocket1->setPort(StrToInt(portText));
    }
    const QString hostText = Hostedit->text();
    if (!hostText.isEmpty()) {
        ClientSocket1->setHost(hostText);
    }
    ClientSocket1->Open();
    appendToLog(ClientSocket1->ReceiveText());
}

void TForm1::TrennenButtonClick()
{
    ClientSocket1->Close();
    setStatusLine(QString());
}

void TForm1::ClientSocket1Connect()
{
    appendToLog(QStringLiteral("Client  -   mit Server verbunden"));
}

void TForm1::ClientSocket1Read()
{
    setStatusLine(ClientSocket1->ReceiveText());
}
