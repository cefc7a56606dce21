#include "VXNServiceFramework/http/HTTPHeader.h"
#include "VXNServiceFramework/http/HTTPParser.h"

#include <gtest/gtest.h>

namespace {

const QByteArray Head = "POST /a/b?x=1&y=c+d%21%C3%A9 HTTP/1.0\r\n"
                        "Content-Length: 12 \r\n"
                        "Host:example\r\n"
                        "Content-Length:99\r\n"
                        "\r\n"
                        "body";

void expectParsed(const HTTPRequestParser& parser) {
    EXPECT_EQ(parser.state(), HTTPParser::HeaderComplete);
    EXPECT_EQ(parser.method(), QStringLiteral("POST"));
    EXPECT_EQ(parser.path(), QStringLiteral("/a/b"));
    EXPECT_EQ(parser.version(), QStringLiteral("1.0"));
    ASSERT_EQ(parser.queryParameters().size(), 2);
    EXPECT_EQ(parser.queryParameters()[0].first, QStringLiteral("x"));
    EXPECT_EQ(parser.queryParameters()[0].second, "1");
    EXPECT_EQ(parser.queryParameters()[1].first, QStringLiteral("y"));
    EXPECT_EQ(parser.queryParameters()[1].second, "c d!\xC3\xA9");
    EXPECT_EQ(parser.headerValue(QStringLiteral("Content-Length")), QStringLiteral("12"));
    EXPECT_EQ(parser.headers().size(), 3);
    EXPECT_EQ(parser.remaining(), "body");
}

TEST(HttpParser, SameResultWhateverThePieceSize) {
    for (const qsizetype piece : {1, 2, 7, 1000}) {
        HTTPRequestParser parser;
        for (qsizetype at = 0; at < Head.size(); at += piece) {
            parser.feed(Head.mid(at, piece));
        }
        SCOPED_TRACE(piece);
        expectParsed(parser);
    }
}

TEST(HttpParser, HeaderNamesAreExact) {
    HTTPRequestParser parser;
    parser.feed(Head);
    EXPECT_TRUE(parser.hasHeader(QStringLiteral("Host")));
    EXPECT_FALSE(parser.hasHeader(QStringLiteral("host")));
    EXPECT_THROW(parser.headerValue(QStringLiteral("content-length")), InvalidHeader);
}

TEST(HttpParser, LoneLineFeedDoesNotEndALine) {
    HTTPRequestParser parser;
    parser.feed("GET Cmd HTTP/1.1\n\n");
    EXPECT_EQ(parser.state(), HTTPParser::ReadingHeader);
}

TEST(HttpParser, MalformedHeadsAreErrors) {
    const char* heads[] = {
        "NOT A REQUEST LINE\r\n",
        "GET Cmd HTTP/1.1\r\nNoColon\r\n",
        "GET Cmd?a HTTP/1.1\r\n",
        "GET Cmd?=1 HTTP/1.1\r\n",
    };
    for (const char* head : heads) {
        HTTPRequestParser parser;
        EXPECT_THROW(parser.feed(head), HTTPParser::ParsingError) << head;
        EXPECT_EQ(parser.state(), HTTPParser::Error) << head;
    }
}

TEST(HttpParser, HeadAboveTheLimitIsAnError) {
    HTTPRequestParser parser;
    parser.setMaxHeaderBytes(64);
    parser.feed("GET Cmd HTTP/1.1\r\n");
    EXPECT_THROW(
        for (int i = 0; i < 64; ++i) { parser.feed('x'); }, HTTPParser::ParsingError);
}

TEST(HttpParser, ResponseStatusLineIsNotExamined) {
    HTTPResponseParser parser;
    parser.feed("whatever\r\nContent-Length:2\r\n\r\nok");
    EXPECT_EQ(parser.state(), HTTPParser::HeaderComplete);
    EXPECT_EQ(parser.headerValue(QStringLiteral("Content-Length")), QStringLiteral("2"));
    EXPECT_EQ(parser.remaining(), "ok");
}

TEST(HttpHeader, WritesPairsInOrderWithoutBlanks) {
    HTTPRequestHeader request(QStringLiteral("GET"), QStringLiteral("Cmd"));
    request.addHeader(QStringLiteral("Content-Length"), QStringLiteral("3"));
    request.addHeader(QStringLiteral("Content-Length"), QStringLiteral("4"));
    EXPECT_EQ(request.toByteArray(),
              "GET Cmd HTTP/1.1\r\nContent-Length:3\r\nContent-Length:4\r\n\r\n");
    EXPECT_EQ(HTTPResponseHeader(400, QStringLiteral("Bad request")).toByteArray(),
              "HTTP/1.1 400 Bad request\r\n\r\n");
}

} // namespace
