// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

// A network of the test's own: a new network namespace holding nothing but its loopback, in
// which a test drops packets as a vanished server's machine would, and never touches the
// machine's own interfaces or firewall. The test program runs itself again inside one, through
// unshare: as root directly, as any other user in a user namespace of its own.
namespace PrivateNetwork {

// Call first in main(), before Qt starts. Returns inside the namespace, or where none can be
// made, so that the tests skip: whyNot() tells why.
void enter(char** argv);
// Empty inside the namespace, with its loopback up.
[[nodiscard]] QString whyNot();

} // namespace PrivateNetwork

// Drops every packet to and from one TCP port while it lives, with nftables: no FIN and no RST
// ever comes, as when the server's machine loses power or its cable is pulled.
class PacketDrop
{
public:
    explicit PacketDrop(quint16 port);
    ~PacketDrop();
    PacketDrop(const PacketDrop&) = delete;
    PacketDrop& operator=(const PacketDrop&) = delete;

    // False where nftables refused the rule; the reason is its own output.
    [[nodiscard]] bool dropping() const { return m_error.isEmpty(); }
    [[nodiscard]] QString error() const { return m_error; }
    // Lets packets through again, as a link that recovers.
    void stop();

private:
    QString m_table;
    QString m_error;
};
