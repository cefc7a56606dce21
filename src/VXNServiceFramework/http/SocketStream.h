#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <initializer_list>

// Blocking writes with a time limit over a non-blocking socket descriptor. A worker does
// nothing else while it writes, so plain poll(2) is all it needs: no notifiers, no event
// dispatcher, no buffering beyond the caller's.
namespace SocketStream {

// Writes all bytes, waiting up to `msecs` each time the peer does not take more; false when the
// peer went away or stopped taking bytes.
bool writeAll(int fd, const QByteArray& bytes, int msecs);
// The same for pieces written one after the other, without joining them first.
bool writeAll(int fd, std::initializer_list<QByteArrayView> pieces, int msecs);
// Tells the peer that nothing follows the answer, as its "Connection:close" says: a client that
// reads up to the end of the stream gets it at once. What the peer still sends is read and
// dropped until it closes.
void endOutput(int fd);

} // namespace SocketStream
