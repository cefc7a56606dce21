#include "VXNServiceFramework/http/HttpAnswer.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/dispatch/RequestRouter.h"
#include "VXNServiceFramework/packets/Packet.h"

namespace {

// Peers see these status lines and the envelope exactly as written here.
constexpr char OkStatus[] = "HTTP/1.1 200 OK\r\n";
constexpr char BadRequestStatus[] = "HTTP/1.1 400 Bad request\r\n";
constexpr char OverloadedStatus[] = "HTTP/1.1 503 Service unavailable\r\n";
constexpr char FailedStatus[] = "HTTP/1.1 500 Internal server error\r\n";
constexpr char EmptyEnvelopeText[] =
    "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?><VXNResponse/>";

// Written directly rather than through HTTPResponseHeader: this runs for every request, and
// the header model's string conversions were a visible share of serving a small one.
QByteArray head(const char* status, qsizetype bodySize) {
    QByteArray out;
    out.reserve(128);
    out += status;
    out += "Content-Length:";
    out += QByteArray::number(bodySize);
    out += "\r\nConnection:close\r\n\r\n";
    return out;
}

HttpAnswer::Parts answer(const char* status, QByteArray body) {
    return {head(status, body.size()), std::move(body)};
}

} // namespace

namespace HttpAnswer {

const QByteArray& emptyEnvelope() {
    static const QByteArray bytes = [] {
        QByteArray out;
        for (const char* c = EmptyEnvelopeText; *c != '\0'; ++c) {
            out += *c;
            out += '\0';
        }
        return out;
    }();
    return bytes;
}

const QByteArray& badRequest() {
    static const QByteArray bytes = head(BadRequestStatus, 0);
    return bytes;
}

const QByteArray& overloaded() {
    static const QByteArray bytes = head(OverloadedStatus, 0);
    return bytes;
}

Parts forRequest(RequestRouter& router, const QString& command, const QByteArray& body) {
    QByteArray content;
    try {
        std::unique_ptr<Packet> response = router.route(command, body);
        if (!response) {
            static const Parts empty = answer(OkStatus, emptyEnvelope());
            return empty;
        }
        response->serialize(content);
    } catch (const std::exception& e) {
        // A response that cannot be produced must not pass for an empty success: the peer's
        // client reads the missing body as a wrong response format.
        VELM_ERR << "Request " << command << " failed: " << e.what();
        return answer(FailedStatus, {});
    } catch (...) {
        // Nothing may end a serving thread.
        VELM_ERR << "Request " << command << " failed";
        return answer(FailedStatus, {});
    }
    return answer(OkStatus, std::move(content));
}

} // namespace HttpAnswer
