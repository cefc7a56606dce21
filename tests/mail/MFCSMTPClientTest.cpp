// The e-mail job client: its result codes, the order of authentication methods (each on a
// connection of its own) and what reaches a real server.
#include "mail/CVELMMFCSMTPClient.h"

#include "support/CoreApplication.h"
#include "support/ScriptedSmtpServer.h"
#include "support/SmtpSink.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHostInfo>
#include <QJsonArray>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

constexpr quint32 kShortTimeout = 2000;

QString helloLine(const char* verb) {
    return QStringLiteral("C: %1 %2").arg(QLatin1String(verb), QHostInfo::localHostName());
}

QStringList ehloGreeting() {
    return {"S: 220 mx.test ESMTP", helloLine("EHLO"), "S: 250-mx.test", "S: 250 AUTH LOGIN"};
}

QStringList acceptedMessage() {
    return {"C: MAIL FROM:<reports@example.com>",
            "S: 250 ok",
            "C: RCPT TO:<ops@example.com>",
            "S: 250 ok",
            "C: DATA",
            "S: 354 go on",
            "D:",
            "S: 250 queued",
            "C: QUIT",
            "S: 221 bye"};
}

class MFCSMTPClient : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }

    // A job to 127.0.0.1:`port` that would send if nothing stopped it.
    static CVELMMFCSMTPClient job(quint16 port) {
        CVELMMFCSMTPClient client;
        client.server = QStringLiteral("127.0.0.1");
        client.port = port;
        client.timeout = kShortTimeout;
        client.from = QStringLiteral("Reports <reports@example.com>");
        client.recipients = {QStringLiteral("ops@example.com")};
        client.subject = QStringLiteral("Weekly");
        client.body = QStringLiteral("Attached.");
        return client;
    }
};

TEST_F(MFCSMTPClient, RefusalsBeforeAnyConnection) {
    // A server that accepts and would fail any dialogue: nothing may reach it.
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const quint16 port = listener.serverPort();
    QTemporaryDir dir;

    struct Row {
        const char* name;
        std::function<void(CVELMMFCSMTPClient&)> change;
        int code;
        const char* errorText; // a part of the error, or none
    };
    const Row rows[] = {
        {"no server", [](auto& c) { c.server.clear(); }, CVELMMFCSMTPClient::SEND_NO_SERVER,
         nullptr},
        {"no recipient", [](auto& c) { c.recipients.clear(); },
         CVELMMFCSMTPClient::SEND_NO_RECIPIENT, nullptr},
        {"only blank recipients",
         [](auto& c) {
             c.recipients = {"", "  "};
         },
         CVELMMFCSMTPClient::SEND_NO_RECIPIENT, nullptr},
        {"unreadable attachment", [&](auto& c) { c.attachments = {dir.filePath("missing.csv")}; },
         CVELMMFCSMTPClient::SEND_ATTACHMENT_UNREADABLE, nullptr},
        {"line break in subject", [](auto& c) { c.subject = "Weekly\r\nBcc: x@evil.test"; },
         CVELMMFCSMTPClient::SEND_TRANSFER_FAILED, "CR or LF"},
        {"line break in recipient", [](auto& c) { c.recipients.append("x@example.com\r\nDATA"); },
         CVELMMFCSMTPClient::SEND_TRANSFER_FAILED, "CR or LF"},
        {"line break in a display name, which parsing would fold away",
         [](auto& c) { c.recipients = {"Ops\r\nBcc: x@evil.test <ops@example.com>"}; },
         CVELMMFCSMTPClient::SEND_TRANSFER_FAILED, "CR or LF"},
        {"line break in sender", [](auto& c) { c.from = "r@example.com\rDATA"; },
         CVELMMFCSMTPClient::SEND_TRANSFER_FAILED, "CR or LF"},
        // A '>' would close the angle brackets of RCPT TO or MAIL FROM and make the rest of the
        // text parameters of the command.
        {"a recipient that closes its brackets",
         [](auto& c) { c.recipients = {"a@b.c>\tRCPT TO:<evil@x.test"}; },
         CVELMMFCSMTPClient::SEND_TRANSFER_FAILED, "To address holds '<', '>'"},
        {"a sender with parameters", [](auto& c) { c.from = "x@y.z> SIZE=1 BODY=8BITMIME"; },
         CVELMMFCSMTPClient::SEND_TRANSFER_FAILED, "From address holds '<', '>'"},
        {"a blank inside an address", [](auto& c) { c.recipients = {"Ops <ops @example.com>"}; },
         CVELMMFCSMTPClient::SEND_TRANSFER_FAILED, "To address holds"},
    };
    for (const Row& row : rows) {
        CVELMMFCSMTPClient client = job(port);
        row.change(client);
        EXPECT_EQ(client.Send(), row.code) << row.name;
        if (row.errorText)
            EXPECT_TRUE(client.error.contains(QLatin1String(row.errorText)))
                << row.name << ": " << client.error.toStdString();
        else
            EXPECT_TRUE(client.error.isEmpty()) << row.name << ": " << client.error.toStdString();
    }
    EXPECT_FALSE(listener.waitForNewConnection(100));
}

TEST_F(MFCSMTPClient, WithoutLoginGreetsWithHelo) {
    ScriptedSmtpServer server(QStringList{"S: 220 mx.test", helloLine("HELO"), "S: 250 hi"} +
                              acceptedMessage());
    CVELMMFCSMTPClient client = job(server.Port());
    EXPECT_EQ(client.Send(), CVELMMFCSMTPClient::SEND_OK) << client.error.toStdString();
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Failures(), QStringList());
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(MFCSMTPClient, BlankRecipientsAreLeftOutOfTheEnvelope) {
    // One RCPT for the one real address: "RCPT TO:<>" would break the script.
    ScriptedSmtpServer server(QStringList{"S: 220 mx.test", helloLine("HELO"), "S: 250 hi"} +
                              acceptedMessage());
    CVELMMFCSMTPClient client = job(server.Port());
    client.recipients = {QString(), QStringLiteral("ops@example.com"), QStringLiteral("  ")};
    EXPECT_EQ(client.Send(), CVELMMFCSMTPClient::SEND_OK) << client.error.toStdString();
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Failures(), QStringList());
}

TEST_F(MFCSMTPClient, EachRefusedMethodCostsAConnectionUntilOneSucceeds) {
    // CRAM-MD5 and LOGIN refused, PLAIN accepted: three connections, the message on the last.
    const QStringList refused{"S: 504 not offered", "C: QUIT", "S: 221 bye", "A:"};
    ScriptedSmtpServer server(ehloGreeting() + QStringList{"C: AUTH CRAM-MD5"} + refused +
                              ehloGreeting() + QStringList{"C: AUTH LOGIN"} + refused +
                              ehloGreeting() +
                              QStringList{"C: AUTH PLAIN", "S: 334 Username:", "C: reporter",
                                          "S: 334 Password:", "C: s3cret", "S: 235 ok"} +
                              acceptedMessage());
    CVELMMFCSMTPClient client = job(server.Port());
    client.login = QStringLiteral("reporter");
    client.password = QStringLiteral("s3cret");
    EXPECT_EQ(client.Send(), CVELMMFCSMTPClient::SEND_OK) << client.error.toStdString();
    ASSERT_TRUE(server.WaitFinished());
    EXPECT_EQ(server.Failures(), QStringList());
    EXPECT_EQ(server.Connections(), 3);
}

TEST_F(MFCSMTPClient, FailuresCarryTheConnectionsLastError) {
    {
        // Every method refused: no connection, with the text of the last attempt.
        const QStringList refused{"S: 504 not offered", "C: QUIT", "S: 221 bye"};
        ScriptedSmtpServer server(ehloGreeting() + QStringList{"C: AUTH CRAM-MD5"} + refused +
                                  QStringList{"A:"} + ehloGreeting() +
                                  QStringList{"C: AUTH LOGIN"} + refused + QStringList{"A:"} +
                                  ehloGreeting() + QStringList{"C: AUTH PLAIN"} + refused);
        CVELMMFCSMTPClient client = job(server.Port());
        client.login = QStringLiteral("reporter");
        EXPECT_EQ(client.Send(), CVELMMFCSMTPClient::SEND_NO_CONNECTION);
        EXPECT_EQ(client.error, "CTRVSMTPConnection::Connect, An unexpected HELO/EHLO response "
                                "was received");
        ASSERT_TRUE(server.WaitFinished());
        EXPECT_EQ(server.Failures(), QStringList());
    }
    {
        // A recipient the server refuses: the transfer failed.
        ScriptedSmtpServer server({"S: 220 mx.test", helloLine("HELO"), "S: 250 hi",
                                   "C: MAIL FROM:<reports@example.com>", "S: 250 ok",
                                   "C: RCPT TO:<ops@example.com>", "S: 550 no such user", "C: QUIT",
                                   "S: 221 bye"});
        CVELMMFCSMTPClient client = job(server.Port());
        EXPECT_EQ(client.Send(), CVELMMFCSMTPClient::SEND_TRANSFER_FAILED);
        EXPECT_EQ(client.error, "CTRVSMTPConnection::SendRCPTForRecipient, An unexpected RCPT "
                                "response was received");
        ASSERT_TRUE(server.WaitFinished());
        EXPECT_EQ(server.Failures(), QStringList());
    }
    {
        // Nobody listening.
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        CVELMMFCSMTPClient client = job(port);
        EXPECT_EQ(client.Send(), CVELMMFCSMTPClient::SEND_NO_CONNECTION);
        EXPECT_TRUE(client.error.startsWith("CTRVSMTPConnection::Connect, Could not connect to "
                                            "the SMTP server 127.0.0.1 on port"))
            << client.error.toStdString();
    }
}

TEST_F(MFCSMTPClient, RealServerOfferingOnlyLoginReceivesTheMessage) {
    SmtpSink sink(QStringLiteral("reporter:s3cret"));
    ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start";
    QTemporaryDir dir;
    const QByteArray csv = QString::fromUtf8("Gerät;Seiten\r\nKöln-1;1200\r\n").toUtf8();
    QFile file(dir.filePath("Report_20260105_080000.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(csv);
    file.close();

    CVELMMFCSMTPClient client = job(sink.Port());
    client.login = QStringLiteral("reporter");
    client.password = QStringLiteral("s3cret");
    client.subject = QString::fromUtf8("Wöchentlicher Bericht – Zähler");
    client.body = QString::fromUtf8("Grüße aus Köln");
    client.attachments = {file.fileName()};
    ASSERT_EQ(client.Send(), CVELMMFCSMTPClient::SEND_OK) << client.error.toStdString();

    const QJsonObject parsed = sink.Inspect(1, dir.path());
    EXPECT_EQ(parsed["subject"].toString(), client.subject);
    const QJsonArray sender{QJsonArray{"Reports", "reports@example.com"}};
    EXPECT_EQ(parsed["from"].toArray(), sender);
    const QJsonArray parts = parsed["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0]["text"].toString().trimmed(), client.body);
    EXPECT_EQ(parts[1]["filename"].toString(), "Report_20260105_080000.csv");
    QFile received(parts[1]["file"].toString());
    ASSERT_TRUE(received.open(QIODevice::ReadOnly));
    EXPECT_EQ(received.readAll(), csv);
}

} // namespace
