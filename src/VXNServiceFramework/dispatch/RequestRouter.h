#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class Packet;

// What the HTTP transport asks to have a request served. The application implements it over its
// command map; tests use scripted routers.
class RequestRouter {
public:
    virtual ~RequestRouter() = default;

    // Runs on the connection's own thread, concurrently with other connections. Answers the
    // service's response, or null when no service handles the command (the connection then
    // answers the empty envelope). A stopped service answers a response with code 5
    // "Service paused" rather than null, and is never touched once deleted.
    virtual std::unique_ptr<Packet> route(const QString& command, const QByteArray& body) = 0;

protected:
    RequestRouter() = default;
    RequestRouter(const RequestRouter&) = default;
    RequestRouter& operator=(const RequestRouter&) = default;
};
