// A template run by the report generator: its report generated and awaited, then mailed to a
// real SMTP server, or a notice of the failure sent instead.
#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGTemplateIdRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateAndSendReportByEmailRequest.h"
#include "VELMPluginReportGenerator/email/EmailResult.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/templates/BodyText.h"
#include "VELMPluginReportGenerator/templates/GenerateAndSendCommand.h"
#include "VELMPluginReportGenerator/templates/StoredTemplate.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

#include "support/ScriptedDeviceManagement.h"
#include "support/SmtpSink.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const auto oneRowPerSelect = &ScriptedReportPeers::oneRowPerSelect;

ReportTemplate mailedDeviceList() {
    ReportTemplate record;
    record.name = QStringLiteral("devices");
    record.report.reportType = QStringLiteral("RT_DEVICE_LIST");
    record.report.selectionValues = {QStringLiteral("1"), QStringLiteral("2")};
    record.email.absent = false;
    record.email.recipients = {QStringLiteral("ops@example.com"),
                               QStringLiteral("Jürgen <j@example.com>")};
    record.email.subject = QStringLiteral("Geräte %1 für Köln");
    record.email.content = QStringLiteral("Hallo,\nanbei die Liste (100%1).");
    return record;
}

// The text of a parsed message (its first part).
QString textOf(const QJsonObject& message) {
    return message["parts"].toArray().first()["text"].toString();
}

class GenerateAndSendTest : public ReportGeneratorTest {
protected:
    GenerateAndSendTest() {
        management.setProperties(
            {{QStringLiteral("SMTPServerName"), QStringLiteral("127.0.0.1")},
             {QStringLiteral("SMTPServerPort"), QString::number(sink.Port())},
             {QStringLiteral("ReplyAddress"), QStringLiteral("r@example.com")}});
    }

    std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse> run(const QString& text) {
        // As the scheduler sends it: the text as the body.
        CmdRGPGenerateAndSendReportByEmailRequest request;
        request.parse(bodyText::toBody(text));
        std::unique_ptr<Packet> answer = service->dispatch(request);
        auto* typed = dynamic_cast<CmdRGPGenerateAndSendReportByEmailResponse*>(answer.get());
        EXPECT_NE(typed, nullptr);
        if (!typed)
            return nullptr;
        answer.release();
        return std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse>(typed);
    }
    std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse> run(const ReportTemplate& record) {
        return run(storedTemplate::commandText(record, false));
    }

    ScriptedDeviceManagement management{peers};
    SmtpSink sink;
    QTemporaryDir parts;
};

TEST(GenerateAndSendParts, APartCountsOnlyAfterTheFirstCharacterAndAbove20Characters) {
    const auto part = [](const QString& text) {
        return GenerateAndSendCommand::partOf(text, QStringLiteral("Report"));
    };
    EXPECT_EQ(part(QStringLiteral("<Report><A>12</A></Report>")), QString());
    EXPECT_EQ(part(QStringLiteral("x<Report><A>12</A></Report>y")),
              QStringLiteral("<Report><A>12</A></Report>"));
    // 20 characters are too short, 21 enough.
    EXPECT_EQ(part(QStringLiteral("x<Report>abc</Report>")), QString());
    EXPECT_EQ(part(QStringLiteral("x<Report>abcd</Report>")),
              QStringLiteral("<Report>abcd</Report>"));
    // From the first opening to the last closing tag, across lines.
    EXPECT_EQ(part(QStringLiteral("x<Report>a\n</Report><Report>b</Report>z")),
              QStringLiteral("<Report>a\n</Report><Report>b</Report>"));
    EXPECT_EQ(part(QStringLiteral("x<Report ID=\"3\">abcdefghijklmnop</Report>")), QString());
}

TEST_F(GenerateAndSendTest, ATemplateWithoutReportStartsNothing) {
    ReportTemplate record;
    record.name = QStringLiteral("empty");
    QString text = storedTemplate::commandText(record, false);
    text.replace(QRegularExpression(QStringLiteral("<Report>.*</Report>")), QString());
    const auto answer = run(text);
    EXPECT_EQ(answer->result(), 0);
    EXPECT_TRUE(answer->reportId.isEmpty());
    EXPECT_TRUE(peers.queries().isEmpty());
    EXPECT_EQ(sink.MessageCount(), 0);
}

TEST_F(GenerateAndSendTest, AFinishedReportIsMailedWithTheTemplatesTexts) {
    ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start";
    peers.onDatabase(oneRowPerSelect);
    // Named by its id, the template comes from the template store.
    peers.answer<CCmdRGGetReportTemplateRequest>([](const CCmdRGGetReportTemplateRequest& request) {
        auto stored = std::make_unique<CCmdRGReportTemplateResponse>();
        if (request.templateId != QStringLiteral("4"))
            stored->setResult(-1, QStringLiteral("Invalid ID(s)"));
        stored->record = mailedDeviceList();
        return std::unique_ptr<Packet>(std::move(stored));
    });
    const auto answer =
        run(QStringLiteral("<VXNRequest command=\"RGPGenerateAndSendReportByEmail\">"
                           "<Template ID=\"4\"/></VXNRequest>"));
    EXPECT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_TRUE(answer->reportId.isEmpty());
    // The report was generated and finished before the mail went.
    EXPECT_EQ(status("0")->reportStatus, QStringLiteral("100"));

    ASSERT_TRUE(sink.WaitForMessages(1, 5000));
    const QJsonObject mail = sink.Inspect(1, parts.path());
    EXPECT_EQ(mail["subject"].toString(), QStringLiteral("Geräte %1 für Köln"));
    EXPECT_EQ(sink.Envelope(1)["rcpt_tos"].toArray(),
              QJsonArray({"ops@example.com", "j@example.com"}));
    EXPECT_TRUE(textOf(mail).contains(QStringLiteral("anbei die Liste (100%1).")))
        << textOf(mail).toStdString();

    const auto unknown =
        run(QStringLiteral("<VXNRequest command=\"RGPGenerateAndSendReportByEmail\"><Template "
                           "ID=\"5\"/></VXNRequest>"));
    EXPECT_EQ(unknown->result(), -1);
    EXPECT_EQ(unknown->details(), QStringLiteral("Invalid ID(s)"));
    EXPECT_EQ(sink.MessageCount(), 1);
}

TEST_F(GenerateAndSendTest, AFailedReportSendsANoticeWithItsFailure) {
    ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start";
    peers.onDatabase([](const QStringList&) { return ScriptedReportPeers::failure(); });
    const auto answer = run(mailedDeviceList());
    EXPECT_EQ(answer->result(), ReportResult::GenerationFailed);
    EXPECT_EQ(answer->details(), ReportResult::generationFailedText);

    ASSERT_TRUE(sink.WaitForMessages(1, 5000));
    const QJsonObject notice = sink.Inspect(1, parts.path());
    EXPECT_EQ(notice["subject"].toString(), QStringLiteral("Geräte %1 für Köln"));
    EXPECT_EQ(textOf(notice).trimmed(), ReportResult::generationFailedText);
    EXPECT_EQ(sink.Envelope(1)["rcpt_tos"].toArray().size(), 2);
}

TEST_F(GenerateAndSendTest, AReportThatCannotBeCreatedForItsGroupSendsANoticeToo) {
    ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start";
    // The template's group has lost its devices since it was saved.
    peers.onDatabase([](const QStringList&) {
        return ScriptedReportPeers::DatabaseAnswer{{ScriptedReportPeers::rows({})}};
    });
    ReportTemplate record = mailedDeviceList();
    record.report.reportType = QStringLiteral("RT_DEVICE_INFO_SUMMARY");
    record.report.selectionKind = 1;
    const auto answer = run(record);
    EXPECT_EQ(answer->result(), ReportResult::NoDeviceInGroup);
    EXPECT_EQ(answer->details(), ReportResult::noDeviceInGroupText);

    ASSERT_TRUE(sink.WaitForMessages(1, 5000));
    const QJsonObject notice = sink.Inspect(1, parts.path());
    EXPECT_EQ(notice["subject"].toString(), QStringLiteral("Geräte %1 für Köln"));
    EXPECT_EQ(textOf(notice).trimmed(), ReportResult::noDeviceInGroupText);
    EXPECT_EQ(sink.Envelope(1)["rcpt_tos"].toArray().size(), 2);
}

TEST_F(GenerateAndSendTest, MailSettingsThatCannotBeReadAreNamedAsTheReason) {
    peers.onDatabase(oneRowPerSelect);
    peers.fail(QStringLiteral("DMSGetProperties"), ResultCode::UnknownCommand,
               QStringLiteral("Can't find service for command: DMSGetProperties"));
    const auto answer = run(mailedDeviceList());
    EXPECT_EQ(answer->result(), EmailResult::NoServer);
    EXPECT_EQ(answer->details(),
              QStringLiteral("The mail settings could not be read: DMSGetProperties failed with "
                             "Result 2: Can't find service for command: DMSGetProperties"));
    EXPECT_EQ(sink.MessageCount(), 0);
}

TEST_F(GenerateAndSendTest, ATemplateWithoutMailHasNobodyToSendTo) {
    peers.onDatabase(oneRowPerSelect);
    ReportTemplate record = mailedDeviceList();
    record.email = {};
    const auto answer = run(record);
    EXPECT_EQ(answer->result(), 104);
    EXPECT_TRUE(answer->details().isEmpty()) << answer->details().toStdString();
    EXPECT_EQ(sink.MessageCount(), 0);
}

} // namespace
