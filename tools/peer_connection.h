#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One accepted client socket on the peer's thread, read and written through the descriptor.
//
// Each read comes with the time the kernel queued its last byte (SO_TIMESTAMPNS), converted to
// the monotonic clock. That is when the bytes arrived, however late this thread got to run:
// on a loaded machine the thread may wake milliseconds after the first line of a pulse and
// at once after the second, and stamps taken at read time would make the pulse look short.
class PeerConnection : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of the descriptor.
    PeerConnection(qintptr descriptor, QObject* parent);
    ~PeerConnection() override;
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;

    [[nodiscard]] QString peer() const { return m_peer; }
    [[nodiscard]] bool isOpen() const { return m_descriptor >= 0; }
    [[nodiscard]] qint64 unsentBytes() const { return m_unsent.size(); }

    // Off: nothing is read, so the client's writes back up into the kernel buffers. A close
    // by the client is noticed only once reading is on again.
    void setReading(bool reading);
    void write(const QByteArray& bytes);
    // Closes once everything written so far has gone out.
    void closeWhenSent();
    // Closes now; what the kernel has not taken yet is dropped.
    void abort();

Q_SIGNALS:
    void received(const QByteArray& bytes, qint64 arrivalNs);
    void closed();

private:
    void readAvailable();
    void sendUnsent();
    [[nodiscard]] qint64 arrivalFrom(struct msghdr& message);

    int m_descriptor;
    QString m_peer;
    QSocketNotifier* m_readNotifier;
    QSocketNotifier* m_writeNotifier;
    QByteArray m_unsent;
    bool m_closeWhenSent = false;
    qint64 m_lastArrivalNs = 0;
};
