#include "VXNServiceFramework/http/SocketStream.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace SocketStream {

bool writeAll(int fd, const QByteArray& bytes, int msecs) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent,
                                 static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd entry{fd, POLLOUT, 0};
            int ready = 0;
            do {
                ready = ::poll(&entry, 1, msecs);
            } while (ready < 0 && errno == EINTR);
            if (ready <= 0) {
                return false;
            }
            continue;
        }
        return false;
    }
    return true;
}

} // namespace SocketStream
