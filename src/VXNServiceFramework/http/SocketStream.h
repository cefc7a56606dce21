#pragma once

#include <QByteArray>
#include <QtGlobal>

// Blocking reads and writes with time limits over one connected socket descriptor, which it
// owns and closes. A connection thread does nothing else while it waits, so plain poll(2) is
// all it needs: no notifiers, no event dispatcher, no buffering beyond the caller's.
class SocketStream {
public:
    enum class Wait { Ready, TimedOut, Closed };

    explicit SocketStream(qintptr descriptor);
    ~SocketStream();

    SocketStream(const SocketStream&) = delete;
    SocketStream& operator=(const SocketStream&) = delete;

    // Waits up to `msecs` for bytes (or the peer's close) to read.
    Wait waitReadable(int msecs);
    // Up to `max` bytes without waiting; empty when none are there. After the peer's close or
    // an error, isOpen() is false.
    QByteArray read(qsizetype max);
    // Writes all bytes, waiting up to `msecs` each time the peer does not take more.
    bool write(const QByteArray& bytes, int msecs);

    bool isOpen() const { return m_open; }

private:
    int m_fd;
    bool m_open = true;
};
