#pragma once

#include "VXNServiceFramework/packets/Packet.h"

#include <functional>
#include <memory>
#include <type_traits>

// How a service reaches a command of another service, in this process or in a peer. Services
// receive one (the process's ServiceClient in production, a scripted peer in tests) instead of
// reaching for a process-wide client themselves.
class PeerCaller {
public:
    using ResponseFactory = std::function<std::unique_ptr<Packet>()>;

    virtual ~PeerCaller() = default;

    // Sends `request` (not taken over), waits, and answers the response that `makeResponse`
    // creates, filled from the answer. Never throws and never answers null: every failure is a
    // response with a non-zero Result and a readable Details.
    virtual std::unique_ptr<Packet> call(Packet& request, const ResponseFactory& makeResponse) = 0;

    // Sends `request` without waiting; failures are dropped after the retries. Returns at once.
    virtual void callAsync(std::unique_ptr<Packet> request) = 0;

    // The typed call: the expected response packet R.
    template <class R> std::unique_ptr<R> call(Packet& request) {
        static_assert(std::is_base_of_v<Packet, R> && std::is_default_constructible_v<R>,
                      "R is a response packet class");
        std::unique_ptr<Packet> response =
            call(request, [] { return std::unique_ptr<Packet>(std::make_unique<R>()); });
        // call() answers what the factory made, so the cast cannot fail.
        return std::unique_ptr<R>(static_cast<R*>(response.release()));
    }
};
