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

    // As call(), for a question whose answer is whether the service is there now: it is asked
    // once, without the retries and their pauses, so that an absent service answers promptly.
    virtual std::unique_ptr<Packet> probe(Packet& request, const ResponseFactory& makeResponse) {
        return call(request, makeResponse);
    }

    // The typed calls: the expected response packet R.
    template <class R> std::unique_ptr<R> call(Packet& request) {
        return typed<R>([&](const ResponseFactory& make) { return call(request, make); });
    }
    template <class R> std::unique_ptr<R> probe(Packet& request) {
        return typed<R>([&](const ResponseFactory& make) { return probe(request, make); });
    }

private:
    template <class R, class Send> static std::unique_ptr<R> typed(const Send& send) {
        static_assert(std::is_base_of_v<Packet, R> && std::is_default_constructible_v<R>,
                      "R is a response packet class");
        std::unique_ptr<Packet> response =
            send([] { return std::unique_ptr<Packet>(std::make_unique<R>()); });
        // The calls answer what the factory made, so the cast cannot fail.
        return std::unique_ptr<R>(static_cast<R*>(response.release()));
    }
};
