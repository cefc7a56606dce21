#pragma once

#include <QByteArray>
#include <memory>

class Packet;

// Serves one command of a service. Both forms return the response (null: none); the caller
// keeps ownership of the request. Exceptions other than the service's own VELMException leave
// handle() and are turned into responses by the dispatcher.
class CommandHandler {
public:
    virtual ~CommandHandler() = default;

    // A request packet of either family, from a caller inside the process.
    virtual std::unique_ptr<Packet> handle(Packet& request) = 0;
    // A request body from the HTTP transport; a malformed body throws WrongPacketFormat.
    virtual std::unique_ptr<Packet> handle(const QByteArray& body) = 0;
};
