#include "VXNServiceFramework/Commands/NSFindService_Request.h"
#include "VXNServiceFramework/Commands/NSFindService_Response.h"
#include "VXNServiceFramework/dispatch/Service.h"
#include "VXNServiceFramework/packets/BindPacket.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <gtest/gtest.h>

namespace {

using FindRequest = BindRequest<NSFindService_Request::c_VXNRequest>;
using FindResponse = BindResponse<NSFindService_Response::c_VXNResponse>;

class FinderService : public Service {
public:
    FinderService() { addHandler(QStringLiteral("NSFindService"), this, &FinderService::find); }

    std::unique_ptr<FindResponse> find(FindRequest& request) {
        if (request.Command == QLatin1String("Unknown"))
            throw VELMException(12, QStringLiteral("No service for Unknown"));
        auto response = std::make_unique<FindResponse>();
        response->ServiceURL = QStringLiteral("http://127.0.0.1:1/") + request.Command;
        return response;
    }
};

// The reader's own text for a body, as the binding packet reports it.
QString readerText(const QByteArray& body) {
    FindRequest request;
    try {
        request.parse(body);
    } catch (const WrongPacketFormat& e) {
        return e.message();
    }
    ADD_FAILURE() << "body was read: " << body.toStdString();
    return {};
}

} // namespace

TEST(DispatchBinding, AMalformedBindingBodyAnswersCode3WithTheReaderText) {
    FinderService service;
    const QByteArray rows[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest>\n</VXNRequest>\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Other command=\"NSFindService\"/>\n",
        "<VXNRequest command=\"NSFindService\"><Command>x</Cmd></VXNRequest>",
        "",
    };
    for (const QByteArray& body : rows) {
        const QString reason = readerText(body);
        EXPECT_FALSE(reason.isEmpty()) << body.toStdString();
        const auto response = service.dispatch(QStringLiteral("NSFindService"), body);
        ASSERT_NE(response, nullptr);
        EXPECT_EQ(response->result(), 3) << body.toStdString();
        EXPECT_EQ(response->details(), QStringLiteral("Wrong request format: ") + reason);
        EXPECT_NE(dynamic_cast<ResponsePacket*>(response.get()), nullptr);
    }
}

TEST(DispatchBinding, ABindingRequestIsServedFromBodyAndPacket) {
    FinderService service;
    FindRequest request;
    request.Command = QStringLiteral("RGPGenerateReport");
    QByteArray body;
    request.serialize(body);
    for (const auto& response :
         {service.dispatch(QStringLiteral("NSFindService"), body), service.dispatch(request)}) {
        auto* found = dynamic_cast<FindResponse*>(response.get());
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->result(), 0);
        EXPECT_EQ(found->ServiceURL, QStringLiteral("http://127.0.0.1:1/RGPGenerateReport"));
    }
}

TEST(DispatchBinding, ADomPacketWithACompatibleBodyReachesABindingHandler) {
    FinderService service;
    RequestPacket request(QStringLiteral("NSFindService"));
    request.addElement(QStringLiteral("Command"), QStringLiteral("SchRegister"));
    const auto response = service.dispatch(request);
    auto* found = dynamic_cast<FindResponse*>(response.get());
    ASSERT_NE(found, nullptr) << response->details().toStdString();
    EXPECT_EQ(found->ServiceURL, QStringLiteral("http://127.0.0.1:1/SchRegister"));
}

TEST(DispatchBinding, VelmExceptionAnswersWithTheBindingResponseClass) {
    FinderService service;
    FindRequest request;
    request.Command = QStringLiteral("Unknown");
    const auto response = service.dispatch(request);
    auto* found = dynamic_cast<FindResponse*>(response.get());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->result(), 12);
    EXPECT_EQ(found->details(), QStringLiteral("No service for Unknown"));
}
