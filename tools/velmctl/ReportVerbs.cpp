#include "ReportVerbs.h"

#include "ReportView.h"

#include "TextTable.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/export/InstallationPath.h"
#include "VELMPluginReportGenerator/service/CatalogueCommands.h"
#include "VerbCalls.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

namespace ReportVerbs {

namespace {

enum ExitCode { Ok = 0, Refused = 3, UsageError = 64 };

// Option name -> the definition element it fills.
const QList<QPair<QString, QString>> definitionOptions = {
    {"type", "ReportType"},     {"category", "ReportCategory"},
    {"format", "ReportFormat"}, {"period", "Period"},
    {"from", "From"},           {"to", "To"},
    {"interval", "Interval"},   {"chart-type", "ChartType"},
    {"sort-by", "SortBy"},      {"group-by", "GroupBy"},
};

using VerbCalls::err;
using VerbCalls::out;
using VerbCalls::send;
using VerbCalls::succeeded;

std::optional<ReportDefinition> definitionFromFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString text = QString::fromUtf8(file.readAll());
    if (!text.contains(QLatin1String("<VXNRequest")))
        text = QStringLiteral("<VXNRequest command=\"RGPGenerateReport\">") + text +
               QStringLiteral("</VXNRequest>");
    CmdRGPGenerateReportRequest request;
    request.parse(text.toUtf8());
    return request.definition;
}

ReportDefinition definitionFromOptions(const QCommandLineParser& parser) {
    ReportDefinition definition;
    for (const auto& [option, element] : definitionOptions)
        if (parser.isSet(option))
            definition.parameters.insert(element, parser.value(option));
    if (parser.isSet(QStringLiteral("summary")))
        definition.parameters.insert(QStringLiteral("IsSummary"), QStringLiteral("Yes"));
    definition.selection.deviceIds = parser.values(QStringLiteral("device"));
    definition.selection.groupIds = parser.values(QStringLiteral("group"));
    definition.selection.models = parser.values(QStringLiteral("model"));
    return definition;
}

int printResults(const QUrl& url, const QString& id) {
    CmdRGPGetReportResultsRequest request;
    request.reportId = id;
    const auto answer = send<CmdRGPGetReportResultsResponse>(url, request);
    if (!succeeded(*answer))
        return Refused;
    out() << formatReportBody(answer->body()) << Qt::flush;
    return Ok;
}

// Shows the progress as it changes until the report has finished; false when it failed.
bool waitForReport(const QUrl& url, const QString& id) {
    QString shown;
    for (;;) {
        CmdRGPGetReportStatusRequest request;
        request.reportId = id;
        const auto answer = send<CmdRGPGetReportStatusResponse>(url, request);
        if (!succeeded(*answer))
            return false;
        if (answer->reportStatus != shown) {
            shown = answer->reportStatus;
            out() << "Progress: " << shown << "%" << Qt::endl;
        }
        if (shown == QLatin1String("100"))
            return true;
        QThread::msleep(200);
    }
}

int generate(const QUrl& url, const QCommandLineParser& parser) {
    std::optional<ReportDefinition> definition;
    if (parser.isSet(QStringLiteral("definition"))) {
        definition = definitionFromFile(parser.value(QStringLiteral("definition")));
        if (!definition) {
            err() << "velmctl: " << parser.value(QStringLiteral("definition"))
                  << " holds no single Report element" << Qt::endl;
            return UsageError;
        }
    } else if (parser.isSet(QStringLiteral("type"))) {
        definition = definitionFromOptions(parser);
    } else {
        err() << "velmctl: report generate needs --type or --definition" << Qt::endl;
        return UsageError;
    }
    CmdRGPGenerateReportRequest request;
    request.definition = definition;
    const auto answer = send<CmdRGPGenerateReportResponse>(url, request);
    if (!succeeded(*answer))
        return Refused;
    out() << "Report " << answer->reportId << Qt::endl;
    if (!parser.isSet(QStringLiteral("wait")))
        return Ok;
    if (!waitForReport(url, answer->reportId))
        return Refused;
    return printResults(url, answer->reportId);
}

int status(const QUrl& url, const QString& id) {
    CmdRGPGetReportStatusRequest request;
    request.reportId = id;
    const auto answer = send<CmdRGPGetReportStatusResponse>(url, request);
    if (!succeeded(*answer))
        return Refused;
    out() << "Report " << answer->isEmail << ": " << answer->reportStatus << "%"
          << (answer->reportStatus == QLatin1String("100") ? " (finished)" : "") << Qt::endl;
    return Ok;
}

int cancel(const QUrl& url, const QString& id) {
    CmdRGPCancelReportRequest request;
    request.reportId = id;
    if (!succeeded(*send<ResponsePacket>(url, request)))
        return Refused;
    out() << "Report " << id << " cancelled" << Qt::endl;
    return Ok;
}

int categories(const QUrl& url) {
    RGPGetReportCategoriesRequest request;
    const auto answer = send<RGPGetReportCategoriesResponse>(url, request);
    if (!succeeded(*answer))
        return Refused;
    for (const auto& category : answer->Category) {
        out() << category.Name << Qt::endl;
        for (const QString& type : category.ReportType)
            out() << "  " << type << Qt::endl;
    }
    return Ok;
}

int counters(const QUrl& url, const QString& device) {
    CmdRGPGetCurrentUsageCountersRequest request;
    request.deviceId = device;
    const auto answer = send<CmdRGPGetCurrentUsageCountersResponse>(url, request);
    if (!succeeded(*answer))
        return Refused;
    TextTable table;
    table.columns = QStringList{"JobType", "ColorMode", "PageSize", "PrintMode", "Value"};
    for (const UsageCounter& counter : answer->counters)
        table.rows.append({counter.jobType, counter.colorMode, counter.pageSize, counter.printMode,
                           counter.value});
    out() << "Device " << answer->deviceId << Qt::endl
          << table.format(QStringLiteral("  ")) << Qt::flush;
    return Ok;
}

// Exports a finished report and prints the web service's path of the file, and where it lies
// when this machine has the installation.
int exportReport(const QUrl& url, const QString& id, const QCommandLineParser& parser) {
    CmdRGPExportReportRequest request;
    request.reportId = id;
    request.fileFormat = parser.value(QStringLiteral("format"));
    request.locale = parser.value(QStringLiteral("locale"));
    if (request.fileFormat.isEmpty()) {
        err() << "velmctl: report export needs --format HTML, CSV or XML" << Qt::endl;
        return UsageError;
    }
    const auto answer = send<CmdRGPExportReportResponse>(url, request);
    if (!succeeded(*answer))
        return Refused;
    if (answer->filePath.isEmpty()) {
        err() << "velmctl: the report was exported but the web service did not take the file"
              << Qt::endl;
        return Refused;
    }
    out() << "File: " << answer->filePath << Qt::endl;
    const QString installation = installationPath();
    const QString local = installation + QStringLiteral("/html/") + answer->filePath;
    if (!installation.isEmpty() && QFileInfo::exists(local))
        out() << "Full path: " << QFileInfo(local).absoluteFilePath() << Qt::endl;
    return Ok;
}

} // namespace

QList<QCommandLineOption> options() {
    QList<QCommandLineOption> list;
    for (const auto& [option, element] : definitionOptions)
        list.append(QCommandLineOption(
            option, QStringLiteral("report generate: the report's ") + element + '.',
            element.toUpper()));
    // --format also names the file format of report export.
    list[definitionOptions.indexOf({QStringLiteral("format"), QStringLiteral("ReportFormat")})]
        .setDescription(QStringLiteral("report generate: the report's ReportFormat (TABLE or "
                                       "Chart); report export: HTML, CSV or XML."));
    list.append({QStringLiteral("device"),
                 QStringLiteral("report generate: a device id (repeatable)."), "ID"});
    list.append({QStringLiteral("group"),
                 QStringLiteral("report generate: a group id (repeatable)."), "ID"});
    list.append({QStringLiteral("model"),
                 QStringLiteral("report generate: a model name (repeatable)."), "MODEL"});
    list.append({QStringLiteral("summary"), QStringLiteral("report generate: a summary report.")});
    list.append({QStringLiteral("definition"),
                 QStringLiteral("report generate: a file holding the Report element."), "FILE"});
    list.append({QStringLiteral("locale"),
                 QStringLiteral("report export: the stylesheets' locale (en when not given)."),
                 "LOCALE"});
    list.append({QStringLiteral("wait"),
                 QStringLiteral("report generate: show the progress, then the rows.")});
    return list;
}

int run(const QUrl& url, const QStringList& arguments, const QCommandLineParser& parser) {
    const QString verb = arguments.value(0);
    const bool needsArgument = verb == QLatin1String("status") ||
                               verb == QLatin1String("results") ||
                               verb == QLatin1String("cancel") ||
                               verb == QLatin1String("counters") || verb == QLatin1String("export");
    if (needsArgument && arguments.size() != 2) {
        err() << "velmctl: report " << verb << " needs one argument" << Qt::endl;
        return UsageError;
    }
    if (verb == QLatin1String("generate"))
        return generate(url, parser);
    if (verb == QLatin1String("status"))
        return status(url, arguments[1]);
    if (verb == QLatin1String("results"))
        return printResults(url, arguments[1]);
    if (verb == QLatin1String("cancel"))
        return cancel(url, arguments[1]);
    if (verb == QLatin1String("categories"))
        return categories(url);
    if (verb == QLatin1String("counters"))
        return counters(url, arguments[1]);
    if (verb == QLatin1String("export"))
        return exportReport(url, arguments[1], parser);
    err() << "velmctl: unknown report verb \"" << verb
          << "\" (generate, status, results, cancel, categories, counters, export)" << Qt::endl;
    return UsageError;
}

} // namespace ReportVerbs
