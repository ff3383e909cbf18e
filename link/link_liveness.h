// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <optional>

// Finding a peer that vanished without a word: its machine lost power, its Wi-Fi dropped, a
// cable was pulled. No FIN or RST ever comes then, and TCP alone would notice only after some
// 15 minutes of retransmissions, or never on an idle connection. These calls ask the system,
// on a connected socket given by its descriptor, to give the connection up within seconds:
// keepalive probes while idle, and a bound on how long sent data may stay unacknowledged.
namespace LinkLiveness {

// The figures. A peer that is alive acknowledges within milliseconds on a LAN and within a
// second or two on a busy Pi or a Wi-Fi link that hiccups; ten seconds of silence from its
// system (not its program: the kernel acknowledges what a program has not read yet) means it
// is gone. Sending: reported some 10 s after the first unacknowledged line. Idle: the first
// probe after 5 s without traffic, then every 2 s; Linux gives up once the 10 s bound has
// passed with a probe unanswered (about 11 s), Windows after the 5th unanswered probe (15 s).
inline constexpr int UnacknowledgedLimitMs = 10000;
inline constexpr int IdleBeforeProbeSeconds = 5;
inline constexpr int ProbeIntervalSeconds = 2;
inline constexpr int ProbeCount = 5;

// Which of the settings the platform took.
struct Settings
{
    bool probeTiming = false;
    bool unacknowledgedLimit = false;
};

// Turns keepalive on, for sockets that Qt does not manage.
bool enableKeepAlive(qintptr descriptor);
// Sets the probes' timing and the bound on unacknowledged data (keepalive itself is switched
// on separately). On Linux the bound is set only where sendQueue() can be read, since without
// it a peer that stops reading could not be told from a dead one (see setUnacknowledgedLimit);
// Windows sets it always, as it never counts a closed window against it.
Settings applyDeadPeerBounds(qintptr descriptor);

// What the system still holds of the sent bytes, and what the peer lets it send.
struct SendQueue
{
    qint64 unacknowledged = 0; // handed to the system and not acknowledged by the peer
    qint64 unsent = 0;         // of those, not even sent yet
    qint64 peerWindow = 0;     // bytes the peer's last acknowledgement lets follow
    qint64 segmentSize = 0;    // the largest segment the system sends to the peer
};
// Empty where the platform cannot tell.
[[nodiscard]] std::optional<SendQueue> sendQueue(qintptr descriptor);

// Linux counts a peer that keeps its receive window closed, because its program reads nothing,
// as making no progress, and drops it once the bound has passed, though its system answers
// every window probe. Such a peer is slow, not dead: the bound is lifted while it lasts.
bool setUnacknowledgedLimit(qintptr descriptor, bool on);
// True when the peer's closed receive window holds back the queued bytes: nothing is in flight,
// something waits, and the window has no room for a segment. Data that waits for another
// reason, a route that went away with the machine's own Wi-Fi, say, leaves the bound in place.
[[nodiscard]] constexpr bool peerWindowClosed(const SendQueue& queue)
{
    return queue.unsent > 0 && queue.unacknowledged == queue.unsent &&
           queue.peerWindow < queue.segmentSize;
}

} // namespace LinkLiveness
