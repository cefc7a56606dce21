#include "VELMPluginReportGenerator/templates/GenerateAndSendCommand.h"

#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGTemplateIdRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailRequest.h"
#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/email/ReportMailer.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/service/ReportCommands.h"
#include "VELMPluginReportGenerator/templates/BodyText.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QRegularExpression>

namespace {

constexpr qsizetype minimumPartLength = 20;
const QString declaration =
    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\"?>");
// Mails of templates without a locale use the English stylesheets.
const QString defaultLocale = QStringLiteral("en");

std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse> answer(int code,
                                                                   const QString& details) {
    auto response = std::make_unique<CmdRGPGenerateAndSendReportByEmailResponse>();
    response->setResult(code, details);
    return response;
}

bool reportFailed(int code) {
    return code >= ReportResult::InProgress && code <= ReportResult::ChartFailed;
}

// A report that could not even be created for its selection: nothing will be mailed, so the
// recipients hear of it as of a report that failed later.
bool creationFailed(int code) {
    return code == ReportResult::NoDeviceInGroup;
}

// The e-mail part of a template for `reportId`; without one it names nobody. The id goes in as a
// field, not into the text, so a "%1" of the mail stays as written.
ReportEmailRequest emailRequest(const QString& templateText, const QString& reportId) {
    CmdRGPSendReportByEmailRequest request;
    const QString part = GenerateAndSendCommand::partOf(templateText, QStringLiteral("Email"));
    if (!part.isEmpty())
        request.parse(bodyText::toBody(
            declaration + QStringLiteral("<VXNRequest command=\"RGPSendReportByEmail\">") + part +
            QStringLiteral("</VXNRequest>")));
    return ReportEmailRequest{reportId,
                              request.recipients,
                              request.subject,
                              request.content,
                              request.locale.isEmpty() ? defaultLocale : request.locale,
                              request.fileFormats};
}

} // namespace

QString GenerateAndSendCommand::partOf(const QString& text, const QString& tag) {
    const QRegularExpression pattern(QStringLiteral("<%1>.*</%1>").arg(tag),
                                     QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch() || match.capturedStart() == 0 ||
        match.capturedLength() <= minimumPartLength)
        return {};
    return match.captured();
}

std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse>
GenerateAndSendCommand::generateAndSend(CmdRGPGenerateAndSendReportByEmailRequest& request) {
    std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse> response;
    try {
        response = generateAndMail(request);
    } catch (const WrongPacketFormat& e) {
        // A part cut out of the template by its tags that does not read as XML of its own.
        response =
            answer(ResultCode::WrongRequestFormat, ResultText::wrongRequestPrefix + e.message());
    }
    // The scheduler does not read the answer: the log is where a failed run shows.
    if (response->result() != ResultCode::Ok)
        VELM_ERR << "Template report not mailed"
                 << (request.templateId.isEmpty()
                         ? QString()
                         : QStringLiteral(" (template %1)").arg(request.templateId))
                 << ": " << response->details() << " (Result " << response->result() << ")";
    return response;
}

std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse>
GenerateAndSendCommand::generateAndMail(CmdRGPGenerateAndSendReportByEmailRequest& request) {
    QString templateText = request.text;
    if (!request.templateId.isEmpty()) {
        CCmdRGGetReportTemplateRequest fetch;
        fetch.templateId = request.templateId;
        const auto stored = m_generator.caller().call<CCmdRGReportTemplateResponse>(fetch);
        // A template that cannot be read is a failure, not a template without a report.
        if (stored->result() != ResultCode::Ok)
            return answer(stored->result(), stored->details());
        templateText = bodyText::of(*stored);
    }
    const QString reportPart = partOf(templateText, QStringLiteral("Report"));
    if (reportPart.isEmpty())
        return std::make_unique<CmdRGPGenerateAndSendReportByEmailResponse>();

    CmdRGPGenerateReportRequest generate;
    generate.parse(bodyText::toBody(declaration +
                                    QStringLiteral("<VXNRequest command=\"RGPGenerateReport\">") +
                                    reportPart + QStringLiteral("</VXNRequest>")));
    const auto generated = m_generator.reportCommands().generateReport(generate);
    if (generated->result() != ResultCode::Ok) {
        if (creationFailed(generated->result())) {
            const ReportEmailRequest mail = emailRequest(templateText, QString());
            sendFailureNotice(m_generator.caller(), mail.subject, mail.recipients,
                              generated->details());
        }
        return answer(generated->result(), generated->details());
    }

    CmdRGPGetReportStatusRequest status;
    status.reportId = generated->reportId;
    CRepWaitThread waiter(m_generator.reportCommands(), status, m_pollInterval);
    waiter.start();
    waiter.wait();
    const CmdRGPGetReportStatusResponse* last = waiter.lastResponse();
    const int code = last->result();

    const ReportEmailRequest mail = emailRequest(templateText, generated->reportId);
    if (code == ResultCode::Ok) {
        const ReportEmailOutcome sent = sendReportByEmail(m_generator, mail);
        if (sent.result == ResultCode::Ok)
            return std::make_unique<CmdRGPGenerateAndSendReportByEmailResponse>();
        return answer(sent.result, sent.details);
    }
    if (reportFailed(code))
        sendFailureNotice(m_generator.caller(), mail.subject, mail.recipients, last->details());
    return answer(code, last->details());
}
