#include "VXNServiceFramework/Commands/MGMTCloseApplication_Request.h"
#include "VXNServiceFramework/Commands/MGMTCloseApplication_Response.h"
#include "VXNServiceFramework/Commands/NSFindService_Request.h"
#include "VXNServiceFramework/Commands/NSFindService_Response.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Request.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Response.h"
#include "VXNServiceFramework/packets/BindPacket.h"

#include <gtest/gtest.h>

namespace {

using FindRequest = BindRequest<NSFindService_Request::c_VXNRequest>;
using FindResponse = BindResponse<NSFindService_Response::c_VXNResponse>;
using RegisterRequest = BindRequest<NSRegisterService_Request::c_VXNRequest>;
using RegisterResponse = BindResponse<NSRegisterService_Response::c_VXNResponse>;
using CloseRequest = BindRequest<MGMTCloseApplication_Request::c_VXNRequest>;
using CloseResponse = BindResponse<MGMTCloseApplication_Response::c_VXNResponse>;

constexpr char decl[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

QByteArray body(const char* rest) {
    return QByteArray(decl) + rest;
}

template <class P> QByteArray serialized(P& packet) {
    QByteArray out;
    packet.serialize(out);
    return out;
}

// The message of the WrongPacketFormat that parsing the body into P throws.
template <class P> QString parseError(const QByteArray& bytes) {
    P packet;
    try {
        packet.parse(bytes);
    } catch (const WrongPacketFormat& e) {
        return e.message();
    }
    return QStringLiteral("<parsed>");
}

TEST(BindPacket, RegisterRequestLayout) {
    RegisterRequest request;
    static_cast<NSRegisterService_Request::c_VXNRequest&>(request).URL = "http://127.0.0.1:8080/";
    request.method.append(QStringLiteral("MGMTCloseApplication"));
    request.method.append(QStringLiteral("RGPGenerateReport"));
    EXPECT_EQ(request.command(), "NSRegisterService");
    EXPECT_EQ(serialized(request), body("<VXNRequest command=\"NSRegisterService\">\n"
                                        "\t<URL>http://127.0.0.1:8080/</URL>\n"
                                        "\t<method>MGMTCloseApplication</method>\n"
                                        "\t<method>RGPGenerateReport</method>\n"
                                        "</VXNRequest>\n"));
}

TEST(BindPacket, RequestWithoutChildrenAndDefaultResponse) {
    CloseRequest request;
    EXPECT_EQ(serialized(request),
              body("<VXNRequest command=\"MGMTCloseApplication\">\n</VXNRequest>\n"));
    CloseResponse response;
    EXPECT_EQ(response.result(), 0);
    EXPECT_EQ(response.details(), "OK");
    EXPECT_EQ(
        serialized(response),
        body("<VXNResponse>\n\t<Result>0</Result>\n\t<Details>OK</Details>\n</VXNResponse>\n"));
}

TEST(BindPacket, EscapingAndCodePointsAboveBmp) {
    FindRequest request;
    static_cast<NSFindService_Request::c_VXNRequest&>(request).command = "a\"b'c";
    // U+1F600 as a surrogate pair.
    request.Command = QStringLiteral("<&\">") + QString::fromUcs4(U"\U0001F600");
    const QByteArray expected = body("<VXNRequest command=\"a&quot;b&apos;c\">\n"
                                     "\t<Command>&lt;&amp;&quot;>\xF0\x9F\x98\x80</Command>\n"
                                     "</VXNRequest>\n");
    EXPECT_EQ(serialized(request), expected);

    FindRequest back;
    back.parse(expected);
    EXPECT_EQ(back.command(), "a\"b'c");
    EXPECT_EQ(back.Command, request.Command);
}

TEST(BindPacket, UnpairedHighSurrogateEndsTheValue) {
    FindRequest request;
    request.Command = QStringLiteral("ab") + QChar(0xD800) + QStringLiteral("cd");
    EXPECT_EQ(serialized(request), body("<VXNRequest command=\"NSFindService\">\n"
                                        "\t<Command>ab</Command>\n"
                                        "</VXNRequest>\n"));
}

TEST(BindPacket, ResponseRoundTrip) {
    FindResponse response;
    response.setResult(2, QStringLiteral("Can't find service for command: X"));
    response.ServiceURL = "http://h:1/";
    FindResponse back;
    back.parse(serialized(response));
    EXPECT_EQ(back.result(), 2);
    EXPECT_EQ(back.details(), "Can't find service for command: X");
    EXPECT_EQ(back.ServiceURL, "http://h:1/");
}

TEST(BindPacket, ParseReplacesEarlierContent) {
    RegisterRequest request;
    const QByteArray one = body("<VXNRequest command=\"NSRegisterService\"><URL>u</URL>"
                                "<method>A</method><method>B</method></VXNRequest>");
    request.parse(one);
    request.parse(one);
    ASSERT_EQ(request.method.size(), 2);
    EXPECT_EQ(request.method[1].value, "B");
}

TEST(BindPacket, ResultHoldingTwelveAndMissingServiceUrl) {
    FindResponse response;
    response.parse("<VXNResponse><Result>12</Result><Details>x</Details></VXNResponse>");
    EXPECT_EQ(response.result(), 12);
    EXPECT_TRUE(response.ServiceURL.isEmpty());
}

struct Failure {
    const char* body;
    const char* message;
};

TEST(BindPacket, ResponseFailures) {
    const Failure cases[] = {
        {"<Other/>", "line:1-'VXNResponse'-Element not found"},
        {"<VXNResponse/>", "line:1-'VXNResponse'-Unexpected empty element"},
        {"<VXNResponse>\n<Details>x</Details>\n</VXNResponse>",
         "line:2-'Result'-Mandatory element missing"},
        {"<VXNResponse a=\"1\"><Result>0</Result><Details/></VXNResponse>",
         "line:1-'a'-Unexpected attribute"},
        {"<VXNResponse><Result>99999999999</Result><Details/></VXNResponse>",
         "line:1-'Result'-Value greater than specified maximum"},
        {"<VXNResponse><Result>x</Result><Details/></VXNResponse>",
         "line:1-'Result'-Invalid value format for this type"},
        {"", "line:1-'Premature end of file encountered'-Unexpected end of message"},
        {"<VXNResponse><Result>0</Result><Details/>",
         "line:1-'Premature end of file encountered'-Unexpected end of message"},
    };
    for (const Failure& c : cases)
        EXPECT_EQ(parseError<FindResponse>(QByteArray(c.body)), QString::fromUtf8(c.message))
            << c.body;
}

TEST(BindPacket, RequestFailures) {
    const Failure cases[] = {
        {"<VXNRequest><Command>x</Command></VXNRequest>",
         "line:1-'command'-Required attribute(s) missing"},
        {"<VXNRequest command=\"NSFindService\"></VXNRequest>",
         "line:1-'Command'-Mandatory element missing"},
        {"<VXNRequest command=\"NSFindService\" x=\"\"><Command/></VXNRequest>",
         "line:1-'x'-Unexpected attribute"},
        {"<VXNRequest command=\"NSFindService\"><Command>a</Command>\n</VXNReq>",
         "line:2-'Element start tag (VXNRequest) and end tag (VXNReq) do not match'-Not well "
         "formed"},
    };
    for (const Failure& c : cases)
        EXPECT_EQ(parseError<FindRequest>(QByteArray(c.body)), QString::fromUtf8(c.message))
            << c.body;
    EXPECT_EQ(parseError<RegisterRequest>(
                  "<VXNRequest command=\"NSRegisterService\"><URL>u</URL></VXNRequest>"),
              "line:1-'method'-Mandatory element missing");
}

TEST(BindPacket, SerializeWithoutMandatoryListFails) {
    RegisterRequest request;
    try {
        QByteArray out;
        request.serialize(out);
        FAIL() << "serialized without a method";
    } catch (const WrongPacketFormat& e) {
        EXPECT_EQ(e.message(), "'method'-Mandatory element missing");
    }
}

TEST(BindPacket, RequestOperationsOfTheOtherKindThrow) {
    FindRequest request;
    EXPECT_THROW(request.result(), WrongPacketFormat);
    FindResponse response;
    EXPECT_THROW(response.command(), WrongPacketFormat);
}

} // namespace
