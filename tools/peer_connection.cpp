#include "peer_connection.h"

#include "peer_recording.h"

#include <QHostAddress>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

QString peerOf(int descriptor)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return QStringLiteral("?");
    }
    const auto* socketAddress = reinterpret_cast<const sockaddr*>(&address);
    const quint16 port = ntohs(address.ss_family == AF_INET6
                                   ? reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port
                                   : reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    return QHostAddress(socketAddress).toString() + QLatin1Char(':') + QString::number(port);
}

} // namespace

PeerConnection::PeerConnection(qintptr descriptor, QObject* parent)
    : QObject(parent), m_descriptor(static_cast<int>(descriptor)), m_peer(peerOf(m_descriptor)),
      m_readNotifier(new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this)),
      m_writeNotifier(new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this))
{
    m_writeNotifier->setEnabled(false);
    ::fcntl(m_descriptor, F_SETFL, ::fcntl(m_descriptor, F_GETFL) | O_NONBLOCK);
    // Normally inherited from the listening socket; set again in case that failed.
    const int on = 1;
    ::setsockopt(m_descriptor, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PeerConnection::readAvailable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PeerConnection::sendUnsent);
}

PeerConnection::~PeerConnection()
{
    if (isOpen()) {
        m_readNotifier->setEnabled(false);
        m_writeNotifier->setEnabled(false);
        ::close(m_descriptor);
    }
}

void PeerConnection::setReading(bool reading)
{
    if (isOpen()) {
        m_readNotifier->setEnabled(reading);
    }
}

void PeerConnection::write(const QByteArray& bytes)
{
    if (!isOpen() || m_closeWhenSent) {
        return;
    }
    m_unsent += bytes;
    sendUnsent();
}

void PeerConnection::closeWhenSent()
{
    m_closeWhenSent = true;
    sendUnsent();
}

void PeerConnection::abort()
{
    if (!isOpen()) {
        return;
    }
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    ::close(m_descriptor);
    m_descriptor = -1;
    m_unsent.clear();
    Q_EMIT closed();
}

void PeerConnection::readAvailable()
{
    char buffer[65536];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    iovec chunk{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &chunk;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t count = ::recvmsg(m_descriptor, &message, 0);
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (count <= 0) {
        abort(); // the client closed, or the connection failed
        return;
    }
    const qint64 arrivalNs = arrivalFrom(message);
    Q_EMIT received(QByteArray(buffer, count), arrivalNs);
}

void PeerConnection::sendUnsent()
{
    while (isOpen() && !m_unsent.isEmpty()) {
        const ssize_t count =
            ::send(m_descriptor, m_unsent.constData(), size_t(m_unsent.size()), MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        if (count < 0) {
            abort();
            return;
        }
        m_unsent.remove(0, count);
    }
    if (!isOpen()) {
        return;
    }
    m_writeNotifier->setEnabled(false);
    if (m_closeWhenSent) {
        abort();
    }
}

qint64 PeerConnection::arrivalFrom(msghdr& message)
{
    const qint64 monotonicNow = PeerRecording::monotonicNs();
    qint64 arrivalNs = monotonicNow;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_TIMESTAMPNS) {
            timespec queued{};
            std::memcpy(&queued, CMSG_DATA(header), sizeof queued);
            timespec realNow{};
            ::clock_gettime(CLOCK_REALTIME, &realNow);
            // The kernel stamps in wall-clock time; only the age carries over to the monotonic
            // clock, and a wall clock set back meanwhile must not date the bytes in the future.
            arrivalNs =
                monotonicNow - std::max<qint64>(0, nanoseconds(realNow) - nanoseconds(queued));
        }
    }
    // Lines of one connection arrive in order; their stamps must say so too.
    arrivalNs = std::max(arrivalNs, m_lastArrivalNs);
    m_lastArrivalNs = arrivalNs;
    return arrivalNs;
}
