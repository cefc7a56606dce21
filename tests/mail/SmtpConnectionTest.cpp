#include "RecordingConnection.h"

#include "support/CoreApplication.h"
#include "support/ScriptedSmtpServer.h"

#include <gtest/gtest.h>

#include <QHostInfo>
#include <QTcpServer>

#include <optional>

namespace {

constexpr quint32 kShortTimeout = 250;
const QString kAuthFailed =
    QStringLiteral("CTRVSMTPConnection::Connect, An unexpected HELO/EHLO response was received");

// user "reporter" and password "s3cret" in base64
const QString kUser64 = QStringLiteral("cmVwb3J0ZXI=");
const QString kPassword64 = QStringLiteral("czNjcmV0");

QStringList ehlo(const QStringList& rest) {
    return QStringList{"S: 220 mx.test ESMTP", "C: EHLO client.test", "S: 250-mx.test",
                       "S: 250-AUTH LOGIN PLAIN CRAM-MD5", "S: 250 8BITMIME"} +
           rest;
}

QStringList quit() {
    return {"C: QUIT", "S: 221 bye"};
}

struct ConnectRow {
    const char* name;
    int method;
    QStringList script;
    bool connects;
    QStringList errors;
};

class ConnectDialogue : public ::testing::TestWithParam<ConnectRow> {
protected:
    void SetUp() override { ensureCoreApplication(); }
};

TEST_P(ConnectDialogue, ReportsExactlyTheExpectedTexts) {
    const ConnectRow& row = GetParam();
    ScriptedSmtpServer server(row.script);
    QStringList errors;
    {
        RecordingConnection connection;
        connection.SetHeloHostName("client.test");
        connection.SetTimeout(kShortTimeout);
        EXPECT_EQ(connection.Connect("127.0.0.1", row.method, "reporter", "s3cret", server.Port()),
                  row.connects);
        EXPECT_EQ(connection.IsConnected(), row.connects);
        errors = connection.errors;
    } // the destructor sends QUIT while still connected
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Failures(), QStringList());
    EXPECT_EQ(errors, row.errors);
}

const QString kLogin = QStringLiteral("CTRVSMTPConnection::AuthLogin, ");
const QString kPlain = QStringLiteral("CTRVSMTPConnection::AuthPlain, ");
const QString kCram = QStringLiteral("CTRVSMTPConnection::AuthCramMD5, ");

// Dialogues that greet with EHLO, run `exchange` and end with QUIT.
ConnectRow authSucceeds(const char* name, int method, const QStringList& exchange) {
    return {name, method, ehlo(exchange + quit()), true, {}};
}

// A failed one reports `errors` and then that the connection failed.
ConnectRow authFails(const char* name, int method, const QStringList& exchange,
                     const QStringList& errors = {}) {
    return {name, method, ehlo(exchange + quit()), false, errors + QStringList{kAuthFailed}};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConnectDialogue,
    ::testing::Values(
        ConnectRow{"GreetingInSeveralSegments",
                   0,
                   QStringList{"R: 220-mx.t", "R: est first\r\n220 re", "R: ady\r\n",
                               "C: HELO client.test", "S: 250 hello"} +
                       quit(),
                   true,
                   {}},
        ConnectRow{"GreetingRefused",
                   0,
                   QStringList{"S: 554 go away"} + quit(),
                   false,
                   {"CTRVSMTPConnection::Connect, An unexpected SMTP login response was received"}},
        ConnectRow{"HeloRefused",
                   0,
                   QStringList{"S: 220 hi", "C: HELO client.test", "S: 501 no"} + quit(),
                   false,
                   {kAuthFailed}},
        ConnectRow{"EhloRefused",
                   2,
                   QStringList{"S: 220 hi", "C: EHLO client.test", "S: 502 no"} + quit(),
                   false,
                   {"CTRVSMTPConnection::ConnectESMTP, An unexpected response was received "
                    "occurred while sending the EHLO command",
                    kAuthFailed}},
        authFails("UnknownMethodAfterEhlo", 9, {}),
        authSucceeds("LoginSucceeds", 2,
                     {"C: AUTH LOGIN", "S: 334 VXNlcm5hbWU6", "C: " + kUser64,
                      "S: 334 UGFzc3dvcmQ6", "C: " + kPassword64, "S: 235 ok"}),
        authSucceeds("LoginChallengesInAnyCase", 2,
                     {"C: AUTH LOGIN", "S: 334 dXNlcm5hbWU6", "C: " + kUser64,
                      "S: 334 UEFTU1dPUkQ6", "C: " + kPassword64, "S: 235 ok"}),
        authFails("LoginNotSupported", 2, {"C: AUTH LOGIN", "S: 504 unknown"},
                  {kLogin + "Server does not support AUTH LOGIN authentication"}),
        authFails("LoginEmptyChallenge", 2, {"C: AUTH LOGIN", "S: 334 "},
                  {kLogin + "An unexpected response received when expecting username: response"}),
        authFails("LoginWrongFirstChallenge", 2, {"C: AUTH LOGIN", "S: 334 UGFzc3dvcmQ6"},
                  {kLogin + "An unexpected response received when expecting username: response"}),
        authFails("LoginUserRejected", 2,
                  {"C: AUTH LOGIN", "S: 334 VXNlcm5hbWU6", "C: " + kUser64, "S: 535 who"},
                  {kLogin + "Server did not respond correctly to AUTH LOGIN username field"}),
        authFails("LoginWrongSecondChallenge", 2,
                  {"C: AUTH LOGIN", "S: 334 VXNlcm5hbWU6", "C: " + kUser64, "S: 334 VXNlcm5hbWU6"},
                  {kLogin + "An unexpected response received when expecting password response"}),
        authFails("LoginPasswordRejected", 2,
                  {"C: AUTH LOGIN", "S: 334 VXNlcm5hbWU6", "C: " + kUser64, "S: 334 UGFzc3dvcmQ6",
                   "C: " + kPassword64, "S: 535 bad"},
                  {kLogin + "AUTH LOGIN authentication was unsuccessful"}),
        authSucceeds("PlainSucceeds", 3,
                     {"C: AUTH PLAIN", "S: 334 Username:", "C: reporter",
                      "S: 334 PASSWORD:", "C: s3cret", "S: 235 ok"}),
        authFails("PlainNotSupported", 3, {"C: AUTH PLAIN", "S: 504 unknown"},
                  {kPlain + "Server does not support AUTH PLAIN authentication"}),
        authFails("PlainWrongFirstChallenge", 3, {"C: AUTH PLAIN", "S: 334 VXNlcm5hbWU6"},
                  {kPlain + "An unexpected response received when expecting username: response"}),
        authFails("PlainUserRejected", 3,
                  {"C: AUTH PLAIN", "S: 334 username:", "C: reporter", "S: 535 who"},
                  {kPlain + "Server did not response correctly to AUTH PLAIN username field"}),
        authFails("PlainWrongSecondChallengeIsSilent", 3,
                  {"C: AUTH PLAIN", "S: 334 username:", "C: reporter", "S: 334 secret?"}),
        authFails("PlainPasswordRejected", 3,
                  {"C: AUTH PLAIN", "S: 334 username:", "C: reporter",
                   "S: 334 password:", "C: s3cret", "S: 535 bad"},
                  {kPlain + "AUTH PLAIN authentication was unsuccessful"}),
        authFails("CramMd5NotSupported", 1, {"C: AUTH CRAM-MD5", "S: 504 unknown"},
                  {kCram + "Server does not support AUTH CRAM-MD5 authentication"}),
        authFails("CramMd5Rejected", 1,
                  {"C: AUTH CRAM-MD5", "S: 334 PDEuMkBteC50ZXN0Pg==",
                   "C: cmVwb3J0ZXIgYWQ5YWI3Zjc5NWM0MWM1ZjA5NmRhODRiNjliZDgwMDA=", "S: 535 bad"},
                  {kCram + "AUTH CRAM-MD5 authentication was unsuccessful"})),
    [](const ::testing::TestParamInfo<ConnectRow>& info) { return info.param.name; });

// A local port that was just free and is closed again: connecting to it is refused. 0 when no
// port could be had.
quint16 freedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class SmtpConnection : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }

    static void connectTo(RecordingConnection& connection, const ScriptedSmtpServer& server,
                          int method = 0, quint32 timeout = kShortTimeout) {
        connection.SetHeloHostName("client.test");
        connection.SetTimeout(timeout);
        connection.Connect("127.0.0.1", method, "tim", "tanstaaftanstaaf", server.Port());
    }
};

TEST_F(SmtpConnection, CramMd5AnswersTheRfc2195Example) {
    // RFC 2195 section 2: user "tim", password "tanstaaftanstaaf".
    ScriptedSmtpServer server(
        ehlo(QStringList{"C: AUTH CRAM-MD5",
                         "S: 334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+",
                         "C: dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw", "S: 235 ok"} +
             quit()));
    {
        RecordingConnection connection;
        connectTo(connection, server, 1);
        EXPECT_TRUE(connection.IsConnected());
        EXPECT_EQ(connection.errors, QStringList());
    }
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Failures(), QStringList());
}

TEST_F(SmtpConnection, RepliesAreAssembledAndStoredWhole) {
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines.append(QStringLiteral("250%1%2")
                         .arg(i == 59 ? ' ' : '-')
                         .arg(QString(100, QChar(u'a' + i % 26))));
    const QByteArray longReply = lines.join("\r\n").toLatin1();
    ASSERT_GT(longReply.size(), 256 + 4096);
    ScriptedSmtpServer server(QStringList{"S: 220 hi", "C: HELO client.test", "S: 250 ok",
                                          "R: 250-first\r\n250-sec", "R: ond\r\n250 last\r\n",
                                          "R: " + QString::fromLatin1(longReply) + "\r\n",
                                          "S: 250 unexpected"} +
                              quit());
    {
        RecordingConnection connection;
        connectTo(connection, server);
        ASSERT_TRUE(connection.IsConnected());
        EXPECT_EQ(connection.LastResponse(), QByteArray("250 ok"));
        EXPECT_TRUE(connection.ReadCommandResponse(250));
        EXPECT_EQ(connection.LastResponse(), QByteArray("250-first\r\n250-second\r\n250 last"));
        EXPECT_TRUE(connection.ReadCommandResponse(250));
        EXPECT_EQ(connection.LastResponse(), longReply);
        // An unexpected code fails the read without a text of its own.
        EXPECT_FALSE(connection.ReadCommandResponse(354));
        EXPECT_EQ(SMTPLastSystemError(), 10043);
        EXPECT_EQ(connection.LastResponseCode(), 250);
        EXPECT_EQ(connection.errors, QStringList());
    }
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Failures(), QStringList());
}

// A server that does not greet is not asked to say goodbye: that would wait the time-out once
// more and leave the QUIT's failure, not the missing greeting, as the error callers see.
TEST_F(SmtpConnection, SilentServerTimesOutOnceAndIsNotAskedToQuit) {
    ScriptedSmtpServer server({"W: 900"});
    RecordingConnection connection;
    connectTo(connection, server, 0, 150);
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_EQ(connection.errors,
              QStringList({"CTRVSMTPConnection::ReadResponse, Timed Out waiting for response "
                           "from SMTP server",
                           "CTRVSMTPConnection::Connect, An unexpected SMTP login response was "
                           "received"}));
    EXPECT_EQ(connection.systemErrors, QList<int>({10060, 10060}));
    EXPECT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Received(), QByteArray());
}

TEST_F(SmtpConnection, EndlessReplyFailsAtTheBound) {
    ScriptedSmtpServer server(
        {"R: 220-" + QString(CTRVSMTPConnection::kMaxReplySize + 100, u'x'), "W: 300"});
    RecordingConnection connection;
    connectTo(connection, server);
    EXPECT_EQ(connection.errors.value(0),
              "CTRVSMTPConnection::ReadResponse, Response from SMTP server exceeds 65536 bytes");
    EXPECT_EQ(connection.systemErrors.value(0), CTRVSMTPConnection::kErrorReplyTooLong);
    EXPECT_FALSE(connection.IsConnected());
}

TEST_F(SmtpConnection, ConnectFailuresNameHostPortAndCode) {
    const quint16 closedPort = freedPort();
    ASSERT_NE(closedPort, 0);
    RecordingConnection connection;
    connection.SetTimeout(kShortTimeout);
    EXPECT_FALSE(connection.Connect("", 0, {}, {}, closedPort));
    EXPECT_EQ(connection.errors, QStringList());
    EXPECT_FALSE(connection.Connect("127.0.0.1", 0, {}, {}, closedPort));
    EXPECT_EQ(connection.errors.value(0),
              QStringLiteral("CTRVSMTPConnection::Connect, Could not connect to the SMTP server "
                             "127.0.0.1 on port %1, GetLastError returns: 111")
                  .arg(closedPort));
    EXPECT_FALSE(connection.Connect("127.0.0.1", 0, {}, {}, closedPort, "192.0.2.1"));
    EXPECT_EQ(connection.errors.value(1),
              QStringLiteral("CTRVSMTPConnection::Connect, Could not connect to the SMTP server "
                             "127.0.0.1 on port %1 from LocalAddress:192.0.2.1, GetLastError "
                             "returns: 99")
                  .arg(closedPort));
    EXPECT_FALSE(connection.Connect("no-such-host.invalid", 0, {}, {}, 25));
    EXPECT_EQ(connection.errors.value(2),
              "CTRVSMTPConnection::Connect, Could not connect to the SMTP server "
              "no-such-host.invalid on port 25, GetLastError returns: 10022");
    EXPECT_EQ(connection.systemErrors.value(2), 10022);
    EXPECT_FALSE(connection.Disconnect());
    EXPECT_EQ(connection.errors.value(3), "CTRVSMTPConnection::Disconnect, Already disconnected "
                                          "from SMTP server, doing nothing");
}

TEST_F(SmtpConnection, AutoHostNameAndLocalAddress) {
    const QString ownName = QHostInfo::localHostName();
    ScriptedSmtpServer server(QStringList{"S: 220 hi", "C: HELO " + ownName, "S: 250 ok"} + quit());
    RecordingConnection connection;
    EXPECT_EQ(connection.HeloHostName(), QByteArray("auto"));
    EXPECT_EQ(connection.Timeout(), 60000u);
    connection.SetTimeout(kShortTimeout);
    EXPECT_TRUE(connection.Connect("localhost", 0, {}, {}, server.Port(), "127.0.0.1"));
    EXPECT_EQ(connection.HeloHostName(), ownName.toUtf8());
    EXPECT_TRUE(connection.Disconnect(true));
    EXPECT_FALSE(connection.IsConnected());
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Failures(), QStringList());
}

TEST_F(SmtpConnection, ServerClosingBeforeQuitIsReported) {
    ScriptedSmtpServer server({"S: 220 hi", "C: HELO client.test", "S: 250 ok", "X:"});
    RecordingConnection connection;
    connectTo(connection, server);
    ASSERT_TRUE(connection.IsConnected());
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_FALSE(connection.Disconnect(true));
    EXPECT_EQ(connection.errors.last(),
              "CTRVSMTPConnection::Disconnect, An unexpected QUIT response was received");
    EXPECT_FALSE(connection.IsConnected());
}

TEST_F(SmtpConnection, LineBreaksInCommandArgumentsAreRefusedBeforeConnecting) {
    const quint16 closedPort = freedPort();
    ASSERT_NE(closedPort, 0);
    RecordingConnection connection;
    connection.SetTimeout(kShortTimeout);
    EXPECT_FALSE(connection.Connect("127.0.0.1", 3, "user\r\nMAIL FROM:<x@y>", "p", closedPort));
    connection.SetHeloHostName("host\nRSET");
    EXPECT_FALSE(connection.Connect("127.0.0.1", 0, {}, {}, closedPort));
    EXPECT_EQ(connection.errors,
              QStringList({"CTRVSMTPConnection::Connect, Refused to send a user name containing "
                           "CR or LF",
                           "CTRVSMTPConnection::Connect, Refused to send a HELO host name "
                           "containing CR or LF"}));
}

} // namespace
