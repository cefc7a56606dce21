#include "MailVerbs.h"

#include "ExitCodes.h"
#include "VerbArguments.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailResponse.h"
#include "VELMPluginReportGenerator/email/EmailResult.h"

#include "VXNServiceFramework/dom/DomRead.h"

#include <QFileInfo>

namespace MailVerbs {

namespace {

using ExitCode::Ok;
using ExitCode::UsageError;
constexpr int Refused = ExitCode::ServiceRefused;

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

// The chart image a chart report is mailed with in place of exported files; empty for other
// reports, and under --xml, which shows only the mail's own answer.
QString chartImageOf(Session& session, const QString& id) {
    if (session.xmlOutput())
        return {};
    CmdRGPGetReportResultsRequest request;
    request.reportId = id;
    const auto answer = session.call<CmdRGPGetReportResultsResponse>(request);
    const dom::Element* body = answer->result() == 0 ? answer->body() : nullptr;
    const dom::Element* chart = body ? dom::firstChild(body, QStringLiteral("ChartPath")) : nullptr;
    return chart ? QFileInfo(dom::textContent(chart)).fileName() : QString();
}

} // namespace

int run(Session& session, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("to"), QString(), QStringLiteral("ADDRESS")},
                       {QStringLiteral("format"), QString(), QStringLiteral("FORMAT")},
                       {QStringLiteral("subject"), QString(), QStringLiteral("TEXT")},
                       {QStringLiteral("text"), QString(), QStringLiteral("TEXT")},
                       {QStringLiteral("locale"), QString(), QStringLiteral("LOCALE")}});
    if (!VerbArguments::parse(parser, arguments, QStringLiteral("report")))
        return UsageError;
    const QStringList ids = parser.positionalArguments();
    const QStringList recipients = parser.values(QStringLiteral("to"));
    if (ids.size() != 1 || recipients.isEmpty()) {
        VerbArguments::usageError(QStringLiteral("report"),
                                  QStringLiteral("report mail takes an id and --to ADDRESS"));
        return UsageError;
    }
    for (const QString& recipient : recipients)
        if (!VerbArguments::mailAddress(QStringLiteral("--to"), recipient))
            return UsageError;
    QStringList fileFormats;
    for (const QString& format : parser.values(QStringLiteral("format"))) {
        const auto known = VerbArguments::fileFormat(QStringLiteral("--format"), format);
        if (!known)
            return UsageError;
        fileFormats.append(*known);
    }
    if (!VerbArguments::number(QStringLiteral("A report id"), ids[0], 0,
                               std::numeric_limits<qint32>::max()))
        return UsageError;
    CmdRGPSendReportByEmailRequest request;
    request.reportId = ids[0].trimmed();
    request.recipients = recipients;
    request.fileFormats = fileFormats;
    request.subject = parser.value(QStringLiteral("subject"));
    request.content = parser.value(QStringLiteral("text"));
    request.locale = parser.value(QStringLiteral("locale"));

    const auto answer = session.call<CmdRGPSendReportByEmailResponse>(request);
    if (answer->result() != 0) {
        // Several e-mail refusals come without Details: say what the code means instead.
        const QString reason =
            answer->details().isEmpty() ? meaning(answer->result()) : answer->details();
        Session::err() << "velmctl: " << reason << " (Result " << answer->result() << ")"
                       << Qt::endl;
        return Refused;
    }
    session.out() << "Report " << request.reportId << " mailed to "
                  << recipients.join(QStringLiteral(", "));
    // A chart report carries its image whatever formats were asked for.
    if (const QString chart = chartImageOf(session, request.reportId); !chart.isEmpty())
        session.out() << " with the chart image " << chart;
    else if (!request.fileFormats.isEmpty())
        session.out() << " with " << request.fileFormats.join(QStringLiteral(", "));
    session.out() << "." << Qt::endl;
    return Ok;
}

} // namespace MailVerbs
