#include "MailVerbs.h"

#include "VerbCalls.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailResponse.h"
#include "VELMPluginReportGenerator/email/EmailResult.h"

namespace MailVerbs {

namespace {

enum ExitCode { Ok = 0, Refused = 3, UsageError = 64 };

// What a person reads for a refusal whose Details may be empty.
QString meaning(int result) {
    switch (result) {
    case EmailResult::AttachmentUnreadable:
        return QStringLiteral("an exported file could not be read for attaching");
    case EmailResult::ConnectionFailed:
        return QStringLiteral("no connection or login to the mail server succeeded");
    case EmailResult::NoServer:
        return QStringLiteral("no mail server is configured (device management setting "
                              "SMTPServerName)");
    case EmailResult::TransferFailed:
        return QStringLiteral("the message was not sent (no recipient, or the mail server "
                              "refused it)");
    default:
        return {};
    }
}

} // namespace

QList<QCommandLineOption> options() {
    return {
        {QStringLiteral("subject"),
         QStringLiteral("report mail ID --to ADDRESS --format CSV|HTML|XML (both repeatable): the "
                        "subject (default \"Quillex Report\")."),
         "TEXT"},
        {QStringLiteral("text"),
         QStringLiteral("report mail: the message text (default \"Quillex report\")."), "TEXT"}};
}

int run(const QUrl& url, const QStringList& arguments, const QCommandLineParser& parser) {
    using VerbCalls::err;
    using VerbCalls::out;
    bool numeric = false;
    if (arguments.size() == 2)
        arguments[1].toUInt(&numeric);
    const QStringList recipients = parser.values(QStringLiteral("to"));
    if (!numeric || recipients.isEmpty()) {
        err() << "velmctl: usage: report mail ID --to ADDRESS [--to ...] [--format CSV|HTML|XML "
                 "...] [--subject TEXT] [--text TEXT] [--locale LOCALE]"
              << Qt::endl;
        return UsageError;
    }
    CmdRGPSendReportByEmailRequest request;
    request.reportId = arguments[1];
    request.recipients = recipients;
    request.fileFormats = parser.values(QStringLiteral("format"));
    request.subject = parser.value(QStringLiteral("subject"));
    request.content = parser.value(QStringLiteral("text"));
    request.locale = parser.value(QStringLiteral("locale"));

    const auto answer = VerbCalls::send<CmdRGPSendReportByEmailResponse>(url, request);
    if (answer->result() != 0) {
        // Several e-mail refusals come without Details: say what the code means instead.
        const QString reason =
            answer->details().isEmpty() ? meaning(answer->result()) : answer->details();
        err() << "velmctl: " << reason << " (Result " << answer->result() << ")" << Qt::endl;
        return Refused;
    }
    out() << "Report " << request.reportId << " mailed to "
          << recipients.join(QStringLiteral(", "));
    if (!request.fileFormats.isEmpty())
        out() << " with " << request.fileFormats.join(QStringLiteral(", "));
    out() << "." << Qt::endl;
    return Ok;
}

} // namespace MailVerbs
