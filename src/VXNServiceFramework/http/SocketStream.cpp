#include "VXNServiceFramework/http/SocketStream.h"

#include <QVarLengthArray>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

namespace SocketStream {
namespace {

// Waits until the socket takes bytes again; false when it does not within `msecs`.
bool waitWritable(int fd, int msecs) {
    pollfd entry{fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, msecs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

} // namespace

bool writeAll(int fd, const QByteArray& bytes, int msecs) {
    return writeAll(fd, {QByteArrayView(bytes)}, msecs);
}

bool writeAll(int fd, std::initializer_list<QByteArrayView> pieces, int msecs) {
    QVarLengthArray<iovec, 4> left;
    for (QByteArrayView piece : pieces)
        if (!piece.isEmpty())
            left.append({const_cast<char*>(piece.data()), static_cast<size_t>(piece.size())});
    qsizetype first = 0; // the pieces before it are out
    while (first < left.size()) {
        msghdr message{};
        message.msg_iov = left.data() + first;
        message.msg_iovlen = static_cast<size_t>(left.size() - first);
        const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n > 0) {
            // Drop what went out: whole pieces, then the start of the next one.
            auto sent = static_cast<size_t>(n);
            while (first < left.size() && sent >= left[first].iov_len)
                sent -= left[first++].iov_len;
            if (sent > 0) {
                left[first].iov_base = static_cast<char*>(left[first].iov_base) + sent;
                left[first].iov_len -= sent;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitWritable(fd, msecs))
                return false;
            continue;
        }
        return false;
    }
    return true;
}

void endOutput(int fd) {
    ::shutdown(fd, SHUT_WR);
}

} // namespace SocketStream
