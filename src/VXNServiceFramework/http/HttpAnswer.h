#pragma once

#include <QByteArray>
#include <QString>

class RequestRouter;

// The bytes the server writes back for one request. Every answer says the connection ends with
// it: one request per connection.
namespace HttpAnswer {

// An answer as written: the head, then the body. Kept apart because a body can be megabytes,
// and joining them would copy it once more.
struct Parts {
    QByteArray head;
    QByteArray body;
};

// Has the request routed; 200 with the response packet, or with the empty envelope when no
// service produced one; 500 when producing the response failed.
Parts forRequest(RequestRouter& router, const QString& command, const QByteArray& body);

// The request could not be read.
const QByteArray& badRequest();

// The request's body does not fit the memory that bodies may take at once; it may later.
const QByteArray& overloaded();

// The body of the answer when no service produced a response: the empty envelope in UTF-16
// little-endian without byte-order mark.
const QByteArray& emptyEnvelope();

} // namespace HttpAnswer
