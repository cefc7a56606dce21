#pragma once

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/Packet.h"

#include <QTextStream>
#include <QUrl>
#include <memory>

// What the verbs share: the two output streams and one call of a service.
namespace VerbCalls {

QTextStream& out();
QTextStream& err();

// Sends `request` to the service at `url` and reads the answer as an R. Throws what HttpClient
// throws when the service cannot be reached.
template <class R> std::unique_ptr<R> send(const QUrl& url, Packet& request) {
    QByteArray body;
    request.serialize(body);
    auto response = std::make_unique<R>();
    response->parse(HttpClient().send(url, request.command(), body, true));
    return response;
}

// Prints a failed answer; true when the answer succeeded.
bool succeeded(const Packet& answer);

} // namespace VerbCalls
