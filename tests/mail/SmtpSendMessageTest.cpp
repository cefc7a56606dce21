#include "RecordingConnection.h"

#include "support/CoreApplication.h"
#include "support/ScriptedSmtpServer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <thread>

namespace {

constexpr quint32 kShortTimeout = 250;

QStringList greeting() {
    return {"S: 220 hi", "C: HELO client.test", "S: 250 ok"};
}
QStringList quit() {
    return {"C: QUIT", "S: 221 bye"};
}

QStringList envelope() {
    return {"C: MAIL FROM:<sender@example.com>", "S: 250 ok",
            "C: RCPT TO:<to1@example.com>",      "S: 250 ok",
            "C: RCPT TO:<to2@example.com>",      "S: 250 ok",
            "C: RCPT TO:<cc@example.com>",       "S: 250 ok",
            "C: RCPT TO:<bcc@example.com>",      "S: 250 ok"};
}

CTRVSMTPMessage plainMessage() {
    CTRVSMTPMessage message;
    message.SetCharset("utf-8");
    message.SetFrom(CTRVSMTPAddress::Parse("Reports <sender@example.com>"));
    message.AddRecipient(CTRVSMTPAddress::Parse("to1@example.com"));
    message.AddRecipient(CTRVSMTPAddress::Parse("Two <to2@example.com>"));
    message.AddRecipient(CTRVSMTPAddress::Parse("cc@example.com"), CTRVSMTPMessage::CC);
    message.AddRecipient(CTRVSMTPAddress::Parse("bcc@example.com"), CTRVSMTPMessage::BCC);
    message.SetSubject("Status");
    message.SetText(".first\n..second\nlast");
    return message;
}

struct Outcome {
    bool sent = false;
    QStringList errors;
    QList<int> systemErrors;
};

class SmtpSendMessage : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }

    static Outcome send(ScriptedSmtpServer& server, const CTRVSMTPMessage& message) {
        Outcome outcome;
        {
            RecordingConnection connection;
            connection.SetHeloHostName("client.test");
            connection.SetTimeout(kShortTimeout);
            EXPECT_TRUE(connection.Connect("127.0.0.1", 0, {}, {}, server.Port()));
            outcome.sent = connection.SendMessage(message);
            outcome.errors = connection.errors;
            outcome.systemErrors = connection.systemErrors;
        }
        EXPECT_TRUE(server.WaitFinished());
        EXPECT_EQ(server.Failures(), QStringList());
        return outcome;
    }
};

TEST_F(SmtpSendMessage, EnvelopeHeaderAndDotStuffedBody) {
    ScriptedSmtpServer server(greeting() + envelope() +
                              QStringList{"C: DATA", "S: 354 go", "D:", "S: 250 queued"} + quit());
    const Outcome outcome = send(server, plainMessage());
    EXPECT_TRUE(outcome.sent);
    EXPECT_EQ(outcome.errors, QStringList());
    const QByteArray data = server.Data();
    EXPECT_TRUE(data.startsWith("From: Reports <sender@example.com>\r\n"
                                "To: to1@example.com,Two <to2@example.com>\r\n"
                                "Cc: cc@example.com\r\nSubject: Status\r\n"))
        << data.constData();
    EXPECT_FALSE(data.contains("bcc@"));
    EXPECT_TRUE(data.endsWith("\r\n\r\n..first\r\n...second\r\nlast\r\n.\r\n")) << data.constData();
}

struct RefusalRow {
    const char* name;
    QStringList afterHelo;
    QString error;
};

class UnexpectedReply : public SmtpSendMessage, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(UnexpectedReply, EndsTheMessageWithItsText) {
    const RefusalRow& row = GetParam();
    ScriptedSmtpServer server(greeting() + row.afterHelo + quit());
    const Outcome outcome = send(server, plainMessage());
    EXPECT_FALSE(outcome.sent);
    EXPECT_EQ(outcome.errors, QStringList{row.error});
    EXPECT_EQ(outcome.systemErrors, QList<int>{22});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UnexpectedReply,
    ::testing::Values(
        RefusalRow{"Mail",
                   {"C: MAIL FROM:<sender@example.com>", "S: 550 no"},
                   "CTRVSMTPConnection::SendMessage, An unexpected MAIL response was received"},
        RefusalRow{"SecondRecipient",
                   {"C: MAIL FROM:<sender@example.com>", "S: 250 ok",
                    "C: RCPT TO:<to1@example.com>", "S: 250 ok", "C: RCPT TO:<to2@example.com>",
                    "S: 550 unknown"},
                   "CTRVSMTPConnection::SendRCPTForRecipient, An unexpected RCPT response was "
                   "received"},
        RefusalRow{"Data", envelope() + QStringList{"C: DATA", "S: 554 no"},
                   "CTRVSMTPConnection::SendMessage, An unexpected DATA response was received"},
        RefusalRow{"EndOfMessage",
                   envelope() + QStringList{"C: DATA", "S: 354 go", "D:", "S: 552 too big"},
                   "CTRVSMTPConnection::SendMessage, An unexpected end of message response was "
                   "received"}),
    [](const ::testing::TestParamInfo<RefusalRow>& info) { return info.param.name; });

TEST_F(SmtpSendMessage, UnreadableAttachmentAbandonsTheDataWithoutEndMark) {
    QTemporaryDir dir;
    CTRVSMTPMessage message = plainMessage();
    CTRVSMTPBodyPart attachment;
    attachment.SetAttachment(dir.filePath("vanished.csv"));
    message.AddBodyPart(attachment);
    ScriptedSmtpServer server(greeting() + envelope() + QStringList{"C: DATA", "S: 354 go"});
    const Outcome outcome = send(server, message);
    EXPECT_FALSE(outcome.sent);
    EXPECT_EQ(outcome.errors, QStringList{"CTRVSMTPConnection::SendBodyPart, Failed in call to "
                                          "send body parts body, GetLastError returns: 5"});
    const QByteArray received = server.Received();
    EXPECT_TRUE(received.contains("This is a multi-part message in MIME Format"));
    EXPECT_FALSE(received.contains("\r\n.\r\n"));
    EXPECT_FALSE(received.endsWith("QUIT\r\n"));
}

TEST_F(SmtpSendMessage, HeaderInjectionIsRefusedAndNothingIsSent) {
    const std::pair<const char*, std::function<void(CTRVSMTPMessage&)>> rows[] = {
        {"Subject",
         [](CTRVSMTPMessage& m) {
             m.SetSubject("Hi\r\nBcc: victim@example.com");
         }},
        {"To",
         [](CTRVSMTPMessage& m) {
             m.AddRecipient(
                 CTRVSMTPAddress::Parse("x@example.com>\r\nRCPT TO:<victim@example.com"));
         }},
        {"Cc",
         [](CTRVSMTPMessage& m) {
             m.AddRecipient({"Name\nBcc: victim@example.com", "c@example.com"},
                            CTRVSMTPMessage::CC);
         }},
        {"From",
         [](CTRVSMTPMessage& m) {
             m.SetFrom({"", "evil@example.com>\nDATA"});
         }},
    };
    for (const auto& [field, inject] : rows) {
        ScriptedSmtpServer server(greeting() + quit());
        CTRVSMTPMessage message = plainMessage();
        inject(message);
        const Outcome outcome = send(server, message);
        EXPECT_FALSE(outcome.sent);
        EXPECT_EQ(outcome.errors,
                  QStringList{QStringLiteral("CTRVSMTPConnection::SendMessage, Refused to send a "
                                             "message whose %1 contains CR or LF")
                                  .arg(QLatin1String(field))});
        EXPECT_EQ(server.Received(), QByteArray("HELO client.test\r\nQUIT\r\n")) << field;
    }
}

TEST_F(SmtpSendMessage, AnAddressThatWouldLeaveItsBracketsIsRefusedBeforeTheEnvelope) {
    ScriptedSmtpServer server(greeting() + quit());
    CTRVSMTPMessage message = plainMessage();
    message.AddRecipient({"", "a@b.c> NOTIFY=NEVER"});
    const Outcome outcome = send(server, message);
    EXPECT_FALSE(outcome.sent);
    EXPECT_EQ(outcome.errors, QStringList{QStringLiteral(
                                  "CTRVSMTPConnection::SendMessage, Refused to send a message "
                                  "whose To address holds '<', '>', a blank or a control "
                                  "character")});
    EXPECT_EQ(server.Received(), QByteArray("HELO client.test\r\nQUIT\r\n"));
}

TEST_F(SmtpSendMessage, RecipientWithLineBreakIsRefusedWhenSentAlone) {
    ScriptedSmtpServer server(greeting() + quit());
    {
        RecordingConnection connection;
        connection.SetHeloHostName("client.test");
        connection.SetTimeout(kShortTimeout);
        ASSERT_TRUE(connection.Connect("127.0.0.1", 0, {}, {}, server.Port()));
        EXPECT_FALSE(connection.SendRCPTForRecipient({"", "a@b\r\nDATA"}));
        EXPECT_EQ(connection.errors,
                  QStringList{"CTRVSMTPConnection::SendRCPTForRecipient, Refused to send a "
                              "recipient address containing CR or LF"});
    }
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Received(), QByteArray("HELO client.test\r\nQUIT\r\n"));
}

TEST_F(SmtpSendMessage, ConnectionsOnSeveralThreadsDoNotShareState) {
    // Each thread has its own connection, server and last system error code.
    constexpr int kThreads = 4;
    std::vector<std::unique_ptr<ScriptedSmtpServer>> servers;
    for (int i = 0; i < kThreads; ++i) {
        const QStringList reply = i % 2 ? QStringList{"S: 250 queued"} : QStringList{"S: 552 full"};
        servers.push_back(std::make_unique<ScriptedSmtpServer>(
            greeting() + envelope() + QStringList{"C: DATA", "S: 354 go", "D:"} + reply + quit()));
    }
    std::vector<Outcome> outcomes(kThreads);
    std::vector<int> lastCodes(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            RecordingConnection connection;
            connection.SetHeloHostName("client.test");
            connection.SetTimeout(2000);
            if (connection.Connect("127.0.0.1", 0, {}, {}, servers[i]->Port()))
                outcomes[i].sent = connection.SendMessage(plainMessage());
            outcomes[i].errors = connection.errors;
            lastCodes[i] = SMTPLastSystemError();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_TRUE(servers[i]->WaitFinished());
        EXPECT_EQ(servers[i]->Failures(), QStringList()) << i;
        EXPECT_EQ(outcomes[i].sent, i % 2 == 1) << i;
        EXPECT_EQ(outcomes[i].errors.size(), i % 2 ? 0 : 1) << i;
        EXPECT_EQ(lastCodes[i], i % 2 ? 0 : 22) << i;
        EXPECT_TRUE(servers[i]->Data().endsWith("\r\nlast\r\n.\r\n")) << i;
    }
}

} // namespace
