#pragma once

#include "VXNServiceFramework/dispatch/CommandHandler.h"
#include "VXNServiceFramework/dispatch/VELMException.h"
#include "VXNServiceFramework/packets/Packet.h"

#include <memory>
#include <type_traits>

// Binds a command to the member function of a service that serves it:
//     std::unique_ptr<Resp> S::method(Req& request)
// Req and Resp are the command's request and response packet classes (default-constructible).
template <class S, class Req, class Resp> class HandlerTmpl final : public CommandHandler {
    static_assert(std::is_base_of_v<Packet, Req> && std::is_base_of_v<Packet, Resp>);
    static_assert(std::is_default_constructible_v<Req> && std::is_default_constructible_v<Resp>);

public:
    using Method = std::unique_ptr<Resp> (S::*)(Req&);

    HandlerTmpl(S* service, Method method) : m_service(service), m_method(method) {}

    std::unique_ptr<Packet> handle(Packet& request) override {
        try {
            if (auto* own = dynamic_cast<Req*>(&request))
                return (m_service->*m_method)(*own);
            // Another packet class with a compatible body: carry it over through its bytes.
            QByteArray body;
            request.serialize(body);
            Req converted;
            converted.parse(body);
            return (m_service->*m_method)(converted);
        } catch (const VELMException& e) {
            auto response = std::make_unique<Resp>();
            response->setResult(e.code, e.message);
            return response;
        }
    }

    std::unique_ptr<Packet> handle(const QByteArray& body) override {
        Req request;
        request.parse(body);
        return handle(static_cast<Packet&>(request));
    }

private:
    S* m_service;
    Method m_method;
};
