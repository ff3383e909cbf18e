// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "tclient_socket.h"

// What tests read and set in the window's socket that no operator sees, as its friend: the
// port the next Open() goes to, and a connect timeout short enough for a test to wait out.
class TClientSocketAccess
{
public:
    [[nodiscard]] static int port(const TClientSocket& socket) { return socket.m_port; }
    static void setConnectTimeout(TClientSocket& socket, int milliseconds)
    {
        socket.m_connectTimeoutMs = milliseconds;
    }
};
