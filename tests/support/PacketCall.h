#pragma once

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/Packet.h"

#include <QUrl>
#include <memory>

// Sends `request` over HTTP to the service at `url` and parses the answer as an R.
template <class R> std::unique_ptr<R> callOverHttp(const QUrl& url, Packet& request) {
    QByteArray body;
    request.serialize(body);
    auto response = std::make_unique<R>();
    response->parse(HttpClient().send(url, request.command(), body, true));
    return response;
}
