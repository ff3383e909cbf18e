// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "srcp_responder.h"

#include <QByteArray>
#include <QList>

// The loopback server's answer to "GET FB S88 <module>" with these contacts closed.
[[nodiscard]] inline QByteArray feedbackAnswer(int module, const QList<int>& closedContacts = {})
{
    QByteArray answer = "INFO FB S88 " + QByteArray::number(module);
    for (int contact = 1; contact <= SrcpResponder::ContactsPerModule; ++contact) {
        answer += closedContacts.contains(contact) ? " 1" : " 0";
    }
    return answer + '\n';
}
