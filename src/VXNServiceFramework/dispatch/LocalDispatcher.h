#pragma once

#include <memory>

class Packet;

// The services of this process as the service client sees them (the application implements it).
class LocalDispatcher {
public:
    virtual ~LocalDispatcher() = default;

    // The response of the service of this process that handles request.command(), run on the
    // calling thread; null when no service of this process handles the command.
    virtual std::unique_ptr<Packet> dispatchLocal(Packet& request) = 0;

protected:
    LocalDispatcher() = default;
    LocalDispatcher(const LocalDispatcher&) = default;
    LocalDispatcher& operator=(const LocalDispatcher&) = default;
};
