#include "VXNServiceFramework/dispatch/Service.h"
#include "VXNServiceFramework/dispatch/ServiceFactory.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include "captured_log.h"
#include <QtEndian>
#include <atomic>

#include <gtest/gtest.h>
#include <latch>
#include <semaphore>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

QByteArray bodyOf(Packet& packet) {
    QByteArray body;
    packet.serialize(body);
    return body;
}

class EchoRequest : public RequestPacket {
public:
    explicit EchoRequest(QString command = QStringLiteral("Echo"))
        : RequestPacket(std::move(command)) {}
    void parse(const QByteArray& body) override {
        RequestPacket::parse(body);
        text = elementText(QStringLiteral("Text"));
    }
    void serialize(QByteArray& body) override {
        buildDocument();
        addElement(QStringLiteral("Text"), text);
        RequestPacket::serialize(body);
    }
    QString text;
};

// Same body shape as EchoRequest, different class.
class ForeignEchoRequest : public RequestPacket {
public:
    ForeignEchoRequest() : RequestPacket(QStringLiteral("Echo")) {}
    void serialize(QByteArray& body) override {
        buildDocument();
        addElement(QStringLiteral("Text"), QStringLiteral("from afar"));
        RequestPacket::serialize(body);
    }
};

class EchoResponse : public ResponsePacket {
public:
    EchoResponse() = default;
    explicit EchoResponse(QString echoed) : echoed(std::move(echoed)) {}
    QString echoed;
};

class TestService : public Service {
public:
    TestService() {
        addHandler(QStringLiteral("Echo"), this, &TestService::echo);
        addHandler(QStringLiteral("Fail"), this, &TestService::fail);
        addHandler(QStringLiteral("Nothing"), this, &TestService::nothing);
        addHandler(QStringLiteral("Replaced"), this, &TestService::nothing);
        addHandler(QStringLiteral("Replaced"), this, &TestService::echo);
    }

    std::unique_ptr<EchoResponse> echo(EchoRequest& request) {
        ++calls;
        lastRequest = &request;
        return std::make_unique<EchoResponse>(request.text);
    }
    // The request text names what to throw.
    std::unique_ptr<EchoResponse> fail(EchoRequest& request) {
        ++calls;
        if (request.text == QLatin1String("velm"))
            throw VELMException(12, QStringLiteral("Twelve went wrong"));
        if (request.text == QLatin1String("format"))
            throw WrongPacketFormat(QStringLiteral("inner reason"));
        if (request.text == QLatin1String("int"))
            throw 42;
        throw std::runtime_error("boom");
    }
    std::unique_ptr<ResponsePacket> nothing(RequestPacket&) {
        ++calls;
        return nullptr;
    }

    std::atomic<int> calls{0};
    const EchoRequest* lastRequest = nullptr;
};

QByteArray echoBody(const QString& text) {
    EchoRequest request;
    request.text = text;
    return bodyOf(request);
}

void expectFailure(const std::unique_ptr<Packet>& response, int code, const QString& details) {
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->result(), code);
    EXPECT_EQ(response->details(), details);
    EXPECT_NE(dynamic_cast<ResponsePacket*>(response.get()), nullptr);
}

} // namespace

TEST(Dispatch, RunsTheHandlerOfTheCommandFromBodyAndFromPacket) {
    TestService service;
    const auto fromBody = service.dispatch(QStringLiteral("Echo"), echoBody(QStringLiteral("hi")));
    auto* echoed = dynamic_cast<EchoResponse*>(fromBody.get());
    ASSERT_NE(echoed, nullptr);
    EXPECT_EQ(echoed->echoed, QStringLiteral("hi"));
    EXPECT_EQ(echoed->result(), 0);

    EchoRequest request;
    request.text = QStringLiteral("direct");
    const auto fromPacket = service.dispatch(request);
    ASSERT_NE(dynamic_cast<EchoResponse*>(fromPacket.get()), nullptr);
    EXPECT_EQ(static_cast<EchoResponse&>(*fromPacket).echoed, QStringLiteral("direct"));
    EXPECT_EQ(service.lastRequest, &request) << "a packet of the handler's own class is used as is";
}

TEST(Dispatch, APacketOfAnotherClassReachesTheHandlerThroughItsBody) {
    TestService service;
    ForeignEchoRequest request;
    const auto response = service.dispatch(request);
    auto* echoed = dynamic_cast<EchoResponse*>(response.get());
    ASSERT_NE(echoed, nullptr);
    EXPECT_EQ(echoed->echoed, QStringLiteral("from afar"));
    EXPECT_NE(service.lastRequest, static_cast<const void*>(&request));
}

TEST(Dispatch, FailuresBecomeResponsesWithTheirCodeAndText) {
    TestService service;
    const CapturedLog log;
    expectFailure(service.dispatch(QStringLiteral("Unknown"), {}), 2,
                  QStringLiteral("Can't handle command: Unknown"));
    expectFailure(service.dispatch(QStringLiteral("echo"), echoBody({})), 2,
                  QStringLiteral("Can't handle command: echo"));
    expectFailure(service.dispatch(QStringLiteral("Fail"), echoBody(QStringLiteral("boom"))), -1,
                  QStringLiteral("Command handler raised an exception"));
    expectFailure(service.dispatch(QStringLiteral("Fail"), echoBody(QStringLiteral("int"))), -1,
                  QStringLiteral("Command handler raised an exception"));
    expectFailure(service.dispatch(QStringLiteral("Fail"), echoBody(QStringLiteral("format"))), 3,
                  QStringLiteral("Wrong request format: inner reason"));

    RequestPacket unknown(QStringLiteral("Unknown"));
    expectFailure(service.dispatch(unknown), 2, QStringLiteral("Can't handle command: Unknown"));
    ResponsePacket notARequest(0);
    expectFailure(service.dispatch(notARequest), 3, QStringLiteral("Wrong request format: "));
    EXPECT_EQ(service.calls, 3);
    // What the caller is not told is in the log.
    EXPECT_EQ(log.count(QStringLiteral("err: Fail: the handler raised an exception: boom")), 1);
    EXPECT_EQ(log.count(QStringLiteral("err: Fail: the handler raised an exception")), 1);
}

TEST(Dispatch, VelmExceptionAnswersWithTheHandlersOwnResponseClass) {
    TestService service;
    EchoRequest request(QStringLiteral("Fail"));
    request.text = QStringLiteral("velm");
    for (const auto& response :
         {service.dispatch(QStringLiteral("Fail"), bodyOf(request)), service.dispatch(request)}) {
        ASSERT_NE(dynamic_cast<EchoResponse*>(response.get()), nullptr);
        EXPECT_EQ(response->result(), 12);
        EXPECT_EQ(response->details(), QStringLiteral("Twelve went wrong"));
    }
}

TEST(Dispatch, AMalformedDomBodyReachesTheHandlerWithEmptyFields) {
    TestService service;
    const auto response = service.dispatch(QStringLiteral("Echo"), "<VXNRequest><Text>cut");
    auto* echoed = dynamic_cast<EchoResponse*>(response.get());
    ASSERT_NE(echoed, nullptr);
    EXPECT_EQ(echoed->echoed, QString());
    EXPECT_EQ(service.calls, 1);
}

TEST(Dispatch, AHandlerMayAnswerNothingAndALaterRegistrationWins) {
    TestService service;
    EXPECT_EQ(service.dispatch(QStringLiteral("Nothing"), echoBody({})), nullptr);
    const auto replaced =
        service.dispatch(QStringLiteral("Replaced"), echoBody(QStringLiteral("x")));
    ASSERT_NE(dynamic_cast<EchoResponse*>(replaced.get()), nullptr);
}

TEST(ServiceFactory, CreatesAWorkingService) {
    ServiceFactory<TestService> factory;
    std::unique_ptr<ServiceFactoryBase> base = std::make_unique<ServiceFactory<TestService>>();
    const auto service = base->create();
    ASSERT_NE(dynamic_cast<TestService*>(service.get()), nullptr);
    EXPECT_NE(factory.create().get(), service.get());
    EXPECT_EQ(service->dispatch(QStringLiteral("Echo"), echoBody(QStringLiteral("y")))->result(),
              0);
}
