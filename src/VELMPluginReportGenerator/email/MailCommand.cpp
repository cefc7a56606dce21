#include "VELMPluginReportGenerator/email/MailCommand.h"

#include "VELMPluginReportGenerator/email/ReportMailer.h"

std::unique_ptr<CmdRGPSendReportByEmailResponse>
MailCommand::sendReportByEmail(CmdRGPSendReportByEmailRequest& request) {
    const ReportEmailRequest mail{request.reportId, request.recipients, request.subject,
                                  request.content,  request.locale,     request.fileFormats};
    const ReportEmailOutcome outcome = ::sendReportByEmail(m_generator, mail);
    // The ReportID of this answer stays empty: the requester named the report itself.
    return std::make_unique<CmdRGPSendReportByEmailResponse>(outcome.result, outcome.details);
}
