#include "test_http_fixture.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "support/ScriptedHttpPeer.h"

#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

using namespace httptest;

HttpClientLimits quickClientLimits() {
    HttpClientLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.writeTimeoutMs = 2000;
    limits.readTimeoutMs = 300;
    return limits;
}

TEST(HttpClient, SendsTheRequestFormAndReturnsTheBody) {
    ScriptedHttpPeer peer;
    peer.enqueue(ScriptedHttpPeer::ok("answer"));
    const HttpClient client(quickClientLimits());
    QUrl url = peer.url();
    url.setPath(QStringLiteral("/ignored/path"));
    EXPECT_EQ(client.send(url, QStringLiteral("RGPGetReportStatus"), "<body/>", true), "answer");
    ASSERT_TRUE(peer.waitForRequests(1));
    const auto request = peer.requests()[0];
    EXPECT_EQ(request.head, "GET RGPGetReportStatus HTTP/1.1\r\nContent-Length:7");
    EXPECT_EQ(request.body, "<body/>");
}

TEST(HttpClient, AnswersThatEndTheExchange) {
    struct Case {
        const char* name;
        ScriptedHttpPeer::Reply reply;
        bool fails;
        QByteArray body;
    };
    ScriptedHttpPeer::Reply silent = ScriptedHttpPeer::raw({});
    silent.close = false;
    ScriptedHttpPeer::Reply closed;
    closed.answer = false;
    const Case cases[] = {
        {"no Content-Length", ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\nX:y\r\n\r\nabc"), false,
         ""},
        {"status not examined",
         ScriptedHttpPeer::raw("HTTP/1.1 500 No\r\nContent-Length:2\r\n\r\nok"), false, "ok"},
        {"extra bytes", ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\nContent-Length:2\r\n\r\nokay"),
         false, "ok"},
        {"header line without colon", ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\nBroken\r\n\r\n"),
         true, ""},
        {"short body", ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\nContent-Length:9\r\n\r\nabc"),
         true, ""},
        {"length not a number",
         ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\nContent-Length:0x2\r\n\r\nok"), true, ""},
        {"head cut off", ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\nContent-Le"), true, ""},
        {"interim answers first",
         ScriptedHttpPeer::raw("HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 100 Continue\r\nX:1\r\n"
                               "\r\nHTTP/1.1 200 OK\r\nContent-Length:2\r\n\r\nok"),
         false, "ok"},
        {"only an interim answer", ScriptedHttpPeer::raw("HTTP/1.1 102 Processing\r\n\r\nok"), true,
         ""},
        {"a status of four digits is final",
         ScriptedHttpPeer::raw("HTTP/1.1 1020 X\r\nContent-Length:2\r\n\r\nok"), false, "ok"},
        {"no answer in time", silent, true, ""},
        {"closed without answer", closed, true, ""},
    };
    const HttpClient client(quickClientLimits());
    for (const Case& c : cases) {
        ScriptedHttpPeer peer;
        peer.enqueue(c.reply);
        if (c.fails) {
            EXPECT_THROW(client.send(peer.url(), QStringLiteral("Cmd"), "x", true),
                         CommunicationError)
                << c.name;
        } else {
            EXPECT_EQ(client.send(peer.url(), QStringLiteral("Cmd"), "x", true), c.body) << c.name;
        }
    }
}

TEST(HttpClient, TheHeadReturnedIsTheFinalAnswers) {
    ScriptedHttpPeer peer;
    peer.enqueue(ScriptedHttpPeer::raw(
        "HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length:2\r\n\r\nok"));
    const HttpClient client(quickClientLimits());
    QByteArray head;
    EXPECT_EQ(client.send(peer.url(), QStringLiteral("Cmd"), "x", head), "ok");
    EXPECT_EQ(head, "HTTP/1.1 200 OK\r\nContent-Length:2\r\n\r\n");
}

TEST(HttpClient, InterimAnswersAreBounded) {
    HttpClientLimits limits = quickClientLimits();
    limits.maxInterimAnswers = 2;
    const HttpClient client(limits);
    const QByteArray interim = "HTTP/1.1 102 Processing\r\n\r\n";
    const QByteArray final = "HTTP/1.1 200 OK\r\nContent-Length:2\r\n\r\nok";
    ScriptedHttpPeer within;
    within.enqueue(ScriptedHttpPeer::raw(interim + interim + final));
    EXPECT_EQ(client.send(within.url(), QStringLiteral("Cmd"), "x", true), "ok");
    ScriptedHttpPeer beyond;
    beyond.enqueue(ScriptedHttpPeer::raw(interim + interim + interim + final));
    EXPECT_THROW(client.send(beyond.url(), QStringLiteral("Cmd"), "x", true), CommunicationError);
}

TEST(HttpClient, UnreachablePeerIsAConnectionError) {
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    const HttpClient client(quickClientLimits());
    EXPECT_THROW(client.send(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)),
                             QStringLiteral("Cmd"), "x", true),
                 ConnectionError);
}

TEST(HttpClient, WithoutWaitingTheBodyIsDeliveredAndNothingReturned) {
    ScriptedHttpPeer peer;
    const HttpClient client(quickClientLimits());
    EXPECT_TRUE(client.send(peer.url(), QStringLiteral("Cmd"), "fire", false).isEmpty());
    ASSERT_TRUE(peer.waitForRequests(1));
    EXPECT_EQ(peer.requests()[0].body, "fire");
}

TEST(HttpClient, TalksToTheListener) {
    ScriptedRouter router;
    ServerThread server(router, ListenerLimits{});
    const HttpClient client; // production limits: a sanitizer build starts threads slowly
    const QUrl url(QStringLiteral("http://localhost:%1/").arg(server.port()));
    QByteArray head;
    EXPECT_EQ(client.send(url, QStringLiteral("Cmd"), "ping", head), "echo:ping");
    EXPECT_EQ(head, "HTTP/1.1 200 OK\r\nContent-Length:9\r\nConnection:close\r\n\r\n");
    EXPECT_EQ(client.send(url, QStringLiteral("Cmd"), "again", true), "echo:again");
}

} // namespace
