// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

class CommandServer;
class ServerConnection;
class TrafficRecording;

// What the recording peer adds to the server's engine, reaching into it as its friend: the
// recording of every chunk with the lines it completes, and the failures and scripted traffic
// a test plays. Lives on the engine's thread and is called only there.
class CommandServerAccess
{
public:
    // Records from the next connection on. Both must outlive every signal of the server.
    CommandServerAccess(CommandServer* server, TrafficRecording* recording);

    void sendToClients(const QByteArray& bytes);
    // Once everything written so far has gone out, ends each stream to the client and closes
    // when the client has closed as well, or after a short drain of what it still sends.
    void closeClients();
    // Off: nothing is read, so the client's writes back up into the kernel buffers. A close
    // by the client is noticed only once reading is on again.
    void setReading(bool reading);
    // Closes the listening socket: a later connect is refused while open connections stay.
    void stopListening();

private:
    void hookUp(int connectionId);
    void record(int connectionId, const QByteArray& chunk, qint64 arrivalNs);
    void applyReading(ServerConnection& connection) const;
    static void closeWhenSent(ServerConnection& connection);
    static void endSending(ServerConnection& connection);

    CommandServer* m_server;
    TrafficRecording* m_recording;
    bool m_reading = true;
};
