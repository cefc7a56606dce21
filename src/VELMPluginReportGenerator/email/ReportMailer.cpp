#include "VELMPluginReportGenerator/email/ReportMailer.h"

#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/email/EmailResult.h"
#include "VELMPluginReportGenerator/email/ReportAttachments.h"
#include "VELMPluginReportGenerator/email/SmtpSettings.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "mail/CVELMMFCSMTPClient.h"

#include "VXNServiceFramework/app/Log.h"
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

// Sends and answers the Result with its Details.
ReportEmailOutcome sendWith(CVELMAbstractSMTPClient& client, const SmtpSettings& settings) {
    const int result = EmailResult::fromSendCode(client.Send());
    if (result == ResultCode::Ok)
        return {};
    // Settings that could not be read leave the client without a server; the reason is the
    // device management failure, not the configuration.
    if (result == EmailResult::NoServer && !settings.readFailure.isEmpty())
        return {result, settings.readFailure};
    return {result, client.error};
}

} // namespace

ReportEmailOutcome sendReportByEmail(VELMReportGenerator& generator,
                                     const ReportEmailRequest& request) {
    // No id names no report: nothing can be sent, which is not the success of sending it.
    const std::shared_ptr<VELMReport> report = reportNamed(generator, request.reportId);
    if (!report)
        return {ReportResult::InvalidReportId, ReportResult::invalidReportIdText};
    // A report that has not reached 100 has no document to export yet, at 0 % no more than at 50.
    if (!report->isFinished())
        return {ReportResult::InProgress, ReportResult::inProgressText};

    CVELMMFCSMTPClient client;
    const SmtpSettings settings = SmtpSettings::read(generator.caller());
    settings.applyTo(client);
    client.recipients = request.recipients;
    client.subject = request.subject.isEmpty() ? kDefaultSubject : request.subject;
    client.body = request.content.isEmpty() ? kDefaultText : request.content;
    // Without a server or a recipient the mail cannot go, so nothing is exported for it.
    if (!client.server.isEmpty() && !client.recipients.isEmpty())
        client.attachments =
            reportAttachments(*report, request.fileFormats, request.locale, generator.caller());
    const ReportEmailOutcome sent = sendWith(client, settings);
    // The requester hears the outcome; the log keeps it for whoever looks later.
    if (sent.result == ResultCode::Ok)
        VELM_INFO << "Report " << report->id() << " mailed to " << client.recipients.size()
                  << " recipient(s) with " << client.attachments.size() << " file(s)";
    else
        VELM_ERR << "Report " << report->id() << " not mailed: " << sent.details << " (Result "
                 << sent.result << ")";
    return sent;
}

void sendFailureNotice(PeerCaller& caller, const QString& subject, const QStringList& recipients,
                       const QString& text) {
    CVELMMFCSMTPClient client;
    const SmtpSettings settings = SmtpSettings::read(caller);
    settings.applyTo(client);
    client.subject = subject;
    client.recipients = recipients;
    client.body = text;
    // Nobody waits for the outcome, so the log is the only place a lost notice shows.
    if (const ReportEmailOutcome sent = sendWith(client, settings); sent.result != ResultCode::Ok)
        VELM_ERR << "Failure notice not mailed: " << sent.details << " (Result " << sent.result
                 << ")";
}
