#include "VELMPluginReportGenerator/email/ReportMailer.h"

#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/email/EmailResult.h"
#include "VELMPluginReportGenerator/email/ReportAttachments.h"
#include "VELMPluginReportGenerator/email/SmtpSettings.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "mail/CVELMMFCSMTPClient.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

// Recipients see these as they are when a request leaves subject or text empty.
const QString kDefaultSubject = QStringLiteral("Quillex Report");
const QString kDefaultText = QStringLiteral("Quillex report");

std::shared_ptr<VELMReport> reportNamed(VELMReportGenerator& generator, const QString& idText) {
    bool ok = false;
    const int id = idText.toInt(&ok, 10);
    return ok ? generator.findReport(id) : nullptr;
}

ReportEmailOutcome outcomeOf(CVELMAbstractSMTPClient& client) {
    const int result = EmailResult::fromSendCode(client.Send());
    return {result, result == ResultCode::Ok ? QString() : client.error};
}

} // namespace

ReportEmailOutcome sendReportByEmail(VELMReportGenerator& generator,
                                     const ReportEmailRequest& request) {
    if (request.reportId.isEmpty())
        return {};
    const std::shared_ptr<VELMReport> report = reportNamed(generator, request.reportId);
    if (!report)
        return {ReportResult::InvalidReportId, ReportResult::invalidReportIdText};
    // A report that has not reached 100 has no document to export yet, at 0 % no more than at 50.
    if (!report->isFinished())
        return {ReportResult::InProgress, ReportResult::inProgressText};

    CVELMMFCSMTPClient client;
    SmtpSettings::read(generator.caller()).applyTo(client);
    client.recipients = request.recipients;
    client.subject = request.subject.isEmpty() ? kDefaultSubject : request.subject;
    client.body = request.content.isEmpty() ? kDefaultText : request.content;
    // Without a server or a recipient the mail cannot go, so nothing is exported for it.
    if (!client.server.isEmpty() && !client.recipients.isEmpty())
        client.attachments =
            reportAttachments(*report, request.fileFormats, request.locale, generator.caller());
    return outcomeOf(client);
}

void sendFailureNotice(PeerCaller& caller, const QString& subject, const QStringList& recipients,
                       const QString& text) {
    CVELMMFCSMTPClient client;
    SmtpSettings::read(caller).applyTo(client);
    client.subject = subject;
    client.recipients = recipients;
    client.body = text;
    client.Send();
}
