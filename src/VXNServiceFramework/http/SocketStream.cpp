#include "VXNServiceFramework/http/SocketStream.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// poll(2) on one descriptor; the result of poll, retried when a signal interrupts it.
int pollFor(int fd, short events, int msecs) {
    pollfd entry{fd, events, 0};
    int result = 0;
    do {
        result = ::poll(&entry, 1, msecs);
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

SocketStream::SocketStream(qintptr descriptor) : m_fd(static_cast<int>(descriptor)) {
    const int flags = ::fcntl(m_fd, F_GETFL);
    m_open = flags >= 0 && ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

SocketStream::~SocketStream() {
    ::close(m_fd);
}

SocketStream::Wait SocketStream::waitReadable(int msecs) {
    if (!m_open) {
        return Wait::Closed;
    }
    const int result = pollFor(m_fd, POLLIN, msecs);
    if (result < 0) {
        m_open = false;
        return Wait::Closed;
    }
    return result == 0 ? Wait::TimedOut : Wait::Ready;
}

QByteArray SocketStream::read(qsizetype max) {
    QByteArray bytes;
    if (!m_open || max <= 0) {
        return bytes;
    }
    bytes.resize(max);
    ssize_t got = 0;
    do {
        got = ::recv(m_fd, bytes.data(), static_cast<size_t>(max), 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            m_open = false;
        }
        return {};
    }
    bytes.truncate(got);
    return bytes;
}

bool SocketStream::write(const QByteArray& bytes, int msecs) {
    qsizetype sent = 0;
    while (m_open && sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.constData() + sent,
                                 static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (pollFor(m_fd, POLLOUT, msecs) <= 0) {
                return false;
            }
        } else {
            m_open = false;
        }
    }
    return sent == bytes.size();
}
