// Messages sent through the client to a real SMTP server (aiosmtpd) and read back by a real
// MIME parser (Python's email package), so that our own code never judges its own output.
#include "mail/CVELMSMTPConnection.h"

#include "support/CoreApplication.h"
#include "support/SmtpSink.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QJsonArray pair(const QString& name, const QString& address) {
    return {name, address};
}

// The text as a reader shows it: LF line ends, without the line end that closes the last line
// (the CR LF before the end-of-data mark, or the blank line before an attachment's boundary).
QString lf(QString text) {
    text.replace("\r\n", "\n");
    if (text.endsWith('\n'))
        text.chop(1);
    return text;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

const QString kText = QString::fromUtf8(
    ".Grüße aus Köln,\n"
    ".this line starts with a dot\n"
    ".\n"
    "Zähler = 42 % über dem Vormonat; a long line follows that is far longer than "
    "seventy-six characters, so the encoder has to break it somewhere sensible.\n"
    "trailing blank \n"
    "Ende");
const QString kSubject = QString::fromUtf8(
    "Monatsbericht für März: Drucker in Köln und Düsseldorf – Zählerstände, Störungen");

CTRVSMTPMessage composedMessage() {
    CTRVSMTPMessage message;
    message.SetCharset("utf-8");
    message.SetFrom(CTRVSMTPAddress::Parse(
        QString::fromUtf8("Berichtsdienst Köln <reports@example.com>").toUtf8()));
    message.AddRecipient(
        CTRVSMTPAddress::Parse(QString::fromUtf8("Müller, Hans <hans@example.com>").toUtf8()));
    message.AddRecipient(CTRVSMTPAddress::Parse("ops@example.com"));
    message.AddRecipient(CTRVSMTPAddress::Parse("Doe, Jane <jane@example.com>"),
                         CTRVSMTPMessage::CC);
    message.AddRecipient(CTRVSMTPAddress::Parse("audit@example.com"), CTRVSMTPMessage::BCC);
    message.SetReplyTo(CTRVSMTPAddress::Parse("Service Desk <desk@example.com>"));
    message.SetSubject(kSubject.toUtf8());
    message.SetText(kText.toUtf8());
    return message;
}

class MimeInterop : public ::testing::Test {
protected:
    void SetUp() override {
        ensureCoreApplication();
        ASSERT_EQ(QProcess::execute(SmtpSink::python(), {"-c", "import aiosmtpd, email"}), 0)
            << "python3-aiosmtpd is missing (scripts/install-deps installs it)";
        ASSERT_NE(m_server.Port(), 0) << "the aiosmtpd server did not start";
    }

    bool send(const CTRVSMTPMessage& message, QString* error = nullptr) {
        CVELMSMTPConnection connection;
        connection.SetHeloHostName("client.test");
        connection.SetTimeout(10000);
        const bool sent = connection.Connect("127.0.0.1", 0, {}, {}, m_server.Port()) &&
                          connection.SendMessage(message);
        if (error)
            *error = connection.LastError();
        return sent;
    }

    SmtpSink m_server{QStringLiteral("reporter:s3cret")};
    QTemporaryDir m_out;
};

TEST_F(MimeInterop, PlainTextMessageReadsBackAsWritten) {
    QString error;
    ASSERT_TRUE(send(composedMessage(), &error)) << error.toStdString();
    const QJsonObject parsed = m_server.Inspect(1, m_out.path());

    EXPECT_EQ(parsed["defects"].toArray(), QJsonArray());
    EXPECT_EQ(parsed["from"].toArray(),
              QJsonArray{pair(QString::fromUtf8("Berichtsdienst Köln"), "reports@example.com")});
    EXPECT_EQ(parsed["to"].toArray(),
              QJsonArray({pair(QString::fromUtf8("Müller, Hans"), "hans@example.com"),
                          pair("", "ops@example.com")}));
    EXPECT_EQ(parsed["cc"].toArray(), QJsonArray{pair("Doe, Jane", "jane@example.com")});
    EXPECT_TRUE(parsed["bcc"].isNull());
    EXPECT_EQ(parsed["reply_to"].toArray(), QJsonArray{pair("Service Desk", "desk@example.com")});
    EXPECT_EQ(parsed["subject"].toString(), kSubject);
    EXPECT_EQ(parsed["x_mailer"].toString(), "CTRVSMTPConnection v2.46");
    EXPECT_EQ(parsed["content_type"].toString(), "text/plain");
    const QJsonArray parts = parsed["parts"].toArray();
    ASSERT_EQ(parts.size(), 1);
    EXPECT_EQ(lf(parts[0]["text"].toString()), kText);
    EXPECT_NEAR(parsed["date_epoch"].toDouble(), double(QDateTime::currentSecsSinceEpoch()), 120);
    EXPECT_EQ(parsed["date_utc_offset_minutes"].toInt(),
              QDateTime::currentDateTime().offsetFromUtc() / 60);

    const QJsonObject envelope = m_server.Envelope(1);
    EXPECT_EQ(envelope["mail_from"].toString(), "reports@example.com");
    EXPECT_EQ(envelope["rcpt_tos"].toArray(),
              QJsonArray({"hans@example.com", "ops@example.com", "jane@example.com",
                          "audit@example.com"}));
}

TEST_F(MimeInterop, ALongDistributionListReachesEveryRecipient) {
    CTRVSMTPMessage message = composedMessage();
    QJsonArray expected = {pair(QString::fromUtf8("Müller, Hans"), "hans@example.com"),
                           pair("", "ops@example.com")};
    for (int i = 0; i < 120; ++i) {
        const QString address = QStringLiteral("reader%1@example.com").arg(i);
        message.AddRecipient(CTRVSMTPAddress::Parse(address.toUtf8()));
        expected.append(pair("", address));
    }
    QString error;
    ASSERT_TRUE(send(message, &error)) << error.toStdString();
    const QJsonObject parsed = m_server.Inspect(1, m_out.path());
    EXPECT_EQ(parsed["defects"].toArray(), QJsonArray());
    EXPECT_EQ(parsed["to"].toArray(), expected);
    EXPECT_EQ(m_server.Envelope(1)["rcpt_tos"].toArray().size(), 124);
}

TEST_F(MimeInterop, ALongSubjectReadsBackAsWritten) {
    const QString subjects[] = {
        QStringLiteral("Monthly usage of the Berlin printers ").repeated(40),
        kSubject.repeated(20)};
    int sent = 0;
    for (const QString& subject : subjects) {
        CTRVSMTPMessage message = composedMessage();
        message.SetSubject(subject.toUtf8());
        QString error;
        ASSERT_TRUE(send(message, &error)) << error.toStdString();
        const QJsonObject parsed = m_server.Inspect(++sent, m_out.path());
        EXPECT_EQ(parsed["defects"].toArray(), QJsonArray());
        EXPECT_EQ(parsed["subject"].toString(), subject);
    }
}

TEST_F(MimeInterop, AttachmentsArriveByteForByteBesideTheText) {
    QByteArray small;
    for (int i = 0; i < 100; ++i)
        small.append(char((i * 37 + 11) % 256));
    QByteArray large(1024 * 1024, Qt::Uninitialized);
    QRandomGenerator random(6);
    random.fillRange(reinterpret_cast<quint32*>(large.data()), large.size() / 4);
    const QByteArray csv = QString::fromUtf8("Gerät;Seiten\r\n.Köln-1;1200\r\n").toUtf8();
    QTemporaryDir files;
    writeFile(files.filePath("small.bin"), small);
    writeFile(files.filePath("large.bin"), large);
    writeFile(files.filePath("report.csv"), csv);

    CTRVSMTPMessage message = composedMessage();
    for (const char* name : {"small.bin", "large.bin", "report.csv"}) {
        CTRVSMTPBodyPart attachment;
        attachment.SetAttachment(files.filePath(name));
        message.AddBodyPart(attachment);
    }
    QString error;
    ASSERT_TRUE(send(message, &error)) << error.toStdString();
    const QJsonObject parsed = m_server.Inspect(1, m_out.path());

    // A multipart body under "Content-Transfer-Encoding: quoted-printable" is the one defect
    // readers note (and ignore) in this message layout.
    for (const auto defect : parsed["defects"].toArray())
        EXPECT_EQ(defect.toString(), "InvalidMultipartContentTransferEncodingDefect");
    EXPECT_EQ(parsed["content_type"].toString(), "multipart/mixed");
    EXPECT_EQ(parsed["subject"].toString(), kSubject);
    const QJsonArray parts = parsed["parts"].toArray();
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[0]["content_type"].toString(), "text/plain");
    EXPECT_EQ(parts[0]["charset"].toString(), "utf-8");
    EXPECT_EQ(lf(parts[0]["text"].toString()), kText);
    const std::pair<const char*, const QByteArray*> expected[] = {
        {"small.bin", &small}, {"large.bin", &large}, {"report.csv", &csv}};
    for (int i = 0; i < 3; ++i) {
        const QJsonValue part = parts[i + 1];
        EXPECT_EQ(part["filename"].toString(), expected[i].first);
        EXPECT_EQ(part["content_type"].toString(), "application/octet-stream");
        EXPECT_TRUE(readFile(part["file"].toString()) == *expected[i].second) << expected[i].first;
    }
}

TEST_F(MimeInterop, LoginAuthenticationAgainstARealServer) {
    // The refusals of every step are rows of the scripted-server tests.
    CVELMSMTPConnection connection;
    connection.SetHeloHostName("client.test");
    connection.SetTimeout(10000);
    EXPECT_TRUE(connection.Connect("127.0.0.1", 2, "reporter", "s3cret", m_server.Port()))
        << connection.LastError().toStdString();
    EXPECT_TRUE(connection.Disconnect());
}

// Run only as a child of DateHeader.ParsesAsRfc5322InZone, with TZ set for its whole life.
TEST(DateHeaderProbe, DISABLED_WritesAMessageHeader) {
    const char* path = std::getenv("VELM_MAIL_DATE_PROBE");
    ASSERT_NE(path, nullptr);
    CTRVSMTPMessage message;
    message.SetFrom(CTRVSMTPAddress::Parse("a@example.com"));
    message.AddRecipient(CTRVSMTPAddress::Parse("b@example.com"));
    writeFile(QString::fromLocal8Bit(path), message.GetHeader() + "\r\nbody\r\n");
}

TEST(DateHeader, ParsesAsRfc5322InZone) {
    ensureCoreApplication();
    const std::pair<const char*, int> zones[] = {{"Asia/Kolkata", 330},
                                                 {"America/Sao_Paulo", -180}};
    QTemporaryDir dir;
    for (const auto& [zone, offset] : zones) {
        const QString path = dir.filePath(QString::fromLatin1(zone).replace('/', '_'));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", zone);
        environment.insert("VELM_MAIL_DATE_PROBE", path);
        child.setProcessEnvironment(environment);
        child.start(QFile::symLinkTarget("/proc/self/exe"),
                    {"--gtest_filter=DateHeaderProbe.*", "--gtest_also_run_disabled_tests"});
        ASSERT_TRUE(child.waitForFinished(30000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        const QJsonObject parsed = SmtpSink::InspectFile(path, dir.path());
        EXPECT_EQ(parsed["date_utc_offset_minutes"].toInt(), offset) << zone;
        EXPECT_NEAR(parsed["date_epoch"].toDouble(), double(QDateTime::currentSecsSinceEpoch()),
                    120)
            << zone;
        EXPECT_TRUE(parsed["date"].toString().contains(offset > 0 ? " +0530" : " -0300"))
            << parsed["date"].toString().toStdString();
    }
}

} // namespace
