#include "ReportVerbs.h"

#include "ExitCodes.h"
#include "MailVerbs.h"
#include "MessageText.h"
#include "NearNames.h"
#include "ReportView.h"
#include "Session.h"
#include "TextTable.h"
#include "VerbArguments.h"

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
#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/service/CatalogueCommands.h"

#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace ReportVerbs {

namespace {

using namespace ExitCode;

const QString Family = QStringLiteral("report");

const QString Help = QStringLiteral(
    R"(velmctl [--url URL] report VERB ...

  report generate --type TYPE [options] [--wait]
  report generate --definition FILE [--wait]
      Starts a report and prints its id; with --wait shows the progress, then the rows as
      tables (one per group of rows, each device with its columns and properties).
      --type TYPE          a report type, any case (report types lists them), e.g.
                           RT_DEVICE_LIST
      --period PERIOD      P_LAST_WEEK, P_THIS_WEEK, P_LAST_MONTH, P_THIS_MONTH,
                           P_LAST_TWO_WEEK, P_LAST_TWO_MONTH, P_LAST_SIX_MONTH, P_LAST_YEAR,
                           P_THIS_YEAR or P_CUSTOM
      --from, --to TIME    the range of P_CUSTOM (both needed; no other period takes
                           them): 2026-11-01T00:00 (local time) or seconds since 1970
      --interval INTERVAL  I_HOUR, I_DAY, I_WEEK or I_MONTH
      --format FORMAT      TABLE or Chart (counter reports; default: Chart with
                           --chart-type, else TABLE)
      --chart-type TYPE    CT_BAR, CT_LINE or CT_PIE (a chart over the periods)
      --sort-by COLUMN     the order of the devices in reports that list them before their
                           rows (alert history, firmware upgrades, consumables): a column of
                           the device list such as IP (the default; the service refuses an
                           empty order), HostName, Serial. RT_DEVICE_LIST keeps its own order;
                           job accounting reports take SB_USER_LOGIN, SB_USER_NAME, SB_IPADDR,
                           SB_DEVICE_NAME, SB_MODEL_NAME, SB_SERIAL_NUM, SB_MAC_ADDR or
                           SB_LOCATION (none by default)
      --category NAME, --group-by NAME, --summary
      --device ID, --group ID, --model NAME   the devices, each repeatable (default: all)
      --user ID, --user-group ID             job accounting: the users, each repeatable
      --definition FILE    a file holding a <Report> element instead of the options

  report status ID        progress in percent, or the report's error
  report results ID       the rows of a finished report as tables
  report cancel ID        stops and deletes the report
  report categories       the service's report categories, as its user interface offers them
  report types            every report type --type takes (known here, nothing is sent)
  report counters DEVICE  the current page counters of a device
  report mail ID --to ADDRESS [--format CSV|HTML|XML] [--subject TEXT] [--text TEXT]
                 [--locale LOCALE]
      Mails a finished report with the files exported in the formats (each option
      repeatable) through the mail server that device management's settings name. Subject
      and text default to "Quillex Report" and "Quillex report".
  report export ID --format HTML|CSV|XML [--locale LOCALE]
      Exports a finished report (the format in any case) through the web service and
      prints the file's path there (and where it lies, when this machine holds the
      installation). LOCALE names the stylesheets (en when left out).

A failed report prints its error (for example "No available data for report generation.")
and exits with 3.

Examples:
  velmctl --url http://127.0.0.1:8480/ report generate --type RT_DEVICE_LIST --wait
  velmctl --url http://127.0.0.1:8480/ report generate --type RT_ALERT_HISTORY \
      --period P_CUSTOM --from 2026-11-01T00:00 --to 2026-12-01T00:00 --group 2 --wait
  velmctl --url http://127.0.0.1:8480/ report status 0
  velmctl --url http://127.0.0.1:8480/ report counters 3
  velmctl --url http://127.0.0.1:8480/ report export 0 --format HTML
  velmctl --url http://127.0.0.1:8480/ report mail 0 --to you@example.com --format HTML
)");

// Option name -> the definition element it fills.
const QList<QPair<QString, QString>> definitionOptions = {
    {"type", "ReportType"},     {"category", "ReportCategory"},
    {"format", "ReportFormat"}, {"period", "Period"},
    {"from", "From"},           {"to", "To"},
    {"interval", "Interval"},   {"chart-type", "ChartType"},
    {"sort-by", "SortBy"},      {"group-by", "GroupBy"},
};

// The service reads the format in any case but tells a chart's query by this very spelling.
const QStringList reportFormats = {QStringLiteral("TABLE"), QStringLiteral("Chart")};

QList<QCommandLineOption> generateOptions() {
    QList<QCommandLineOption> list = definitionOptionList();
    list.append(
        QCommandLineOption(QStringLiteral("definition"), QString(), QStringLiteral("FILE")));
    list.append(QCommandLineOption(QStringLiteral("wait")));
    return list;
}

// Nothing, after saying why, when the file cannot be read or holds no single Report element.
std::optional<ReportDefinition> definitionFromFile(const QString& name) {
    const auto bytes = VerbArguments::fileOrStandardInput(name);
    if (!bytes)
        return std::nullopt;
    QString text = MessageText::decode(*bytes);
    if (!text.contains(QLatin1String("<VXNRequest")))
        text = QStringLiteral("<VXNRequest command=\"RGPGenerateReport\">") + text +
               QStringLiteral("</VXNRequest>");
    CmdRGPGenerateReportRequest request;
    try {
        request.parse(text.toUtf8());
    } catch (const WrongPacketFormat& e) {
        Session::err() << "velmctl: " << name << ": " << e.message() << Qt::endl;
        VerbArguments::usageError(Family, name + QStringLiteral(" holds no single Report element"));
        return std::nullopt;
    }
    return request.definition;
}

QStringList periodNames() {
    QStringList names;
    for (int period = reportRegistry::P_LAST_WEEK; period <= reportRegistry::P_CUSTOM; ++period)
        names.append(reportRegistry::periodCode(period));
    return names;
}

ReportDefinition definitionFromOptions(const QCommandLineParser& parser) {
    ReportDefinition definition;
    for (const auto& [option, element] : definitionOptions)
        if (parser.isSet(option))
            definition.parameters.insert(element, parser.value(option));
    for (const char* option : {"from", "to"})
        if (parser.isSet(option))
            definition.parameters.insert(
                option == QLatin1String("from") ? QStringLiteral("From") : QStringLiteral("To"),
                QString::number(*VerbArguments::secondsSince1970(option, parser.value(option))));
    if (const auto type = reportTypeNamed(parser.value(QStringLiteral("type"))))
        definition.parameters.insert(QStringLiteral("ReportType"), *type);
    definition.parameters.insert(QStringLiteral("ReportFormat"), reportFormatOf(parser));
    const QString defaultOrder =
        defaultSortByFor(definition.parameters.value(QStringLiteral("ReportType")));
    if (!parser.isSet(QStringLiteral("sort-by")) && !defaultOrder.isEmpty())
        definition.parameters.insert(QStringLiteral("SortBy"), defaultOrder);
    if (parser.isSet(QStringLiteral("summary")))
        definition.parameters.insert(QStringLiteral("IsSummary"), QStringLiteral("Yes"));
    definition.selection.deviceIds = parser.values(QStringLiteral("device"));
    definition.selection.groupIds = parser.values(QStringLiteral("group"));
    definition.selection.models = parser.values(QStringLiteral("model"));
    definition.selection.userIds = parser.values(QStringLiteral("user"));
    definition.selection.userGroupIds = parser.values(QStringLiteral("user-group"));
    return definition;
}

// --from and --to are the range of P_CUSTOM, which is also what the service reads when no
// period is given; any other period brings its own range and the service would drop them
// without a word.
bool periodRangeValid(const QCommandLineParser& parser) {
    using VerbArguments::usageError;
    const QString custom = reportRegistry::periodCode(reportRegistry::P_CUSTOM);
    const QString period = parser.value(QStringLiteral("period"));
    const bool from = parser.isSet(QStringLiteral("from"));
    const bool to = parser.isSet(QStringLiteral("to"));
    if (!period.isEmpty() && period != custom) {
        if (!from && !to)
            return true;
        usageError(Family, QStringLiteral("--from and --to are the range of --period %1; %2 "
                                          "brings its own (leave them out, or give --period %1)")
                               .arg(custom, period));
        return false;
    }
    if (period.isEmpty() && !from && !to)
        return true;
    if (!from || !to) {
        usageError(Family, QStringLiteral("--period %1 needs both --from and --to").arg(custom));
        return false;
    }
    const auto start = VerbArguments::secondsSince1970(QStringLiteral("--from"),
                                                       parser.value(QStringLiteral("from")));
    const auto end =
        VerbArguments::secondsSince1970(QStringLiteral("--to"), parser.value(QStringLiteral("to")));
    if (start && end && *start > *end) {
        usageError(Family, QStringLiteral("--from %1 is later than --to %2")
                               .arg(parser.value(QStringLiteral("from")),
                                    parser.value(QStringLiteral("to"))));
        return false;
    }
    return start && end;
}

int printResults(Session& session, const QString& id) {
    CmdRGPGetReportResultsRequest request;
    request.reportId = id;
    std::unique_ptr<CmdRGPGetReportResultsResponse> answer;
    try {
        answer = session.call<CmdRGPGetReportResultsResponse>(request);
    } catch (const WrongPacketFormat& e) {
        // Mostly a report too large to hold here as a document; the service still has it.
        Session::err() << "velmctl: the rows of report " << id
                       << " could not be read here: " << e.message()
                       << "\nvelmctl: the report itself is kept; export it "
                       << "instead: velmctl report export " << id << " --format CSV" << Qt::endl;
        return CommunicationFailed;
    }
    if (!session.accepted(*answer))
        return ServiceRefused;
    session.out() << formatReportBody(answer->body()) << Qt::flush;
    return Ok;
}

// While it lives, Ctrl-C ends velmctl with a word on the report it leaves running on the
// service. The text is made beforehand: a signal handler may only write and exit.
class InterruptNotice {
public:
    InterruptNotice(const QUrl& url, const QString& id) {
        const auto command = [&](const char* verb) {
            return QStringLiteral("velmctl --url %1 report %2 %3")
                .arg(url.toString(), QLatin1String(verb), id);
        };
        notice = QStringLiteral("\nvelmctl: report %1 keeps running: %2 follows it, %3 stops it\n")
                     .arg(id, command("status"), command("cancel"))
                     .toUtf8();
        struct sigaction action {};
        action.sa_handler = &interrupted;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous);
    }
    ~InterruptNotice() { sigaction(SIGINT, &previous, nullptr); }
    InterruptNotice(const InterruptNotice&) = delete;
    InterruptNotice& operator=(const InterruptNotice&) = delete;

private:
    static void interrupted(int) {
        [[maybe_unused]] const auto written =
            ::write(STDERR_FILENO, notice.constData(), static_cast<size_t>(notice.size()));
        ::_exit(Interrupted);
    }

    static inline QByteArray notice;
    struct sigaction previous {};
};

// Shows the progress on standard error as it changes until the report has finished (standard
// output keeps only the rows); false when it failed.
bool waitForReport(Session& session, const QString& id) {
    const InterruptNotice notice(session.url(), id);
    QString shown;
    for (;;) {
        CmdRGPGetReportStatusRequest request;
        request.reportId = id;
        const auto answer = session.call<CmdRGPGetReportStatusResponse>(request);
        if (!session.accepted(*answer))
            return false;
        if (answer->reportStatus != shown) {
            shown = answer->reportStatus;
            if (!session.xmlOutput())
                Session::err() << "Progress: " << shown << "%" << Qt::endl;
        }
        if (shown == QLatin1String("100"))
            return true;
        QThread::msleep(200);
    }
}

int generate(Session& session, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addOptions(generateOptions());
    if (!VerbArguments::parse(parser, arguments, Family))
        return UsageError;
    std::optional<ReportDefinition> definition;
    if (parser.isSet(QStringLiteral("definition"))) {
        definition = definitionFromFile(parser.value(QStringLiteral("definition")));
        if (!definition)
            return UsageError;
    } else if (parser.isSet(QStringLiteral("type"))) {
        if (!definitionValuesValid(parser) || !periodRangeValid(parser))
            return UsageError;
        definition = definitionFromOptions(parser);
    } else {
        VerbArguments::usageError(Family,
                                  QStringLiteral("report generate needs --type or --definition"));
        return UsageError;
    }
    CmdRGPGenerateReportRequest request;
    request.definition = definition;
    const auto answer = session.call<CmdRGPGenerateReportResponse>(request);
    if (!session.accepted(*answer))
        return ServiceRefused;
    session.out() << "Report " << answer->reportId << Qt::endl;
    if (!parser.isSet(QStringLiteral("wait")))
        return Ok;
    if (!waitForReport(session, answer->reportId))
        return ServiceRefused;
    return printResults(session, answer->reportId);
}

int status(Session& session, const QString& id) {
    CmdRGPGetReportStatusRequest request;
    request.reportId = id;
    const auto answer = session.call<CmdRGPGetReportStatusResponse>(request);
    if (!session.accepted(*answer))
        return ServiceRefused;
    session.out() << "Report " << answer->isEmail << ": " << answer->reportStatus << "%"
                  << (answer->reportStatus == QLatin1String("100") ? " (finished)" : "")
                  << Qt::endl;
    return Ok;
}

int cancel(Session& session, const QString& id) {
    CmdRGPCancelReportRequest request;
    request.reportId = id;
    if (!session.accepted(*session.call<ResponsePacket>(request)))
        return ServiceRefused;
    session.out() << "Report " << id << " cancelled" << Qt::endl;
    return Ok;
}

int categories(Session& session) {
    RGPGetReportCategoriesRequest request;
    const auto answer = session.call<RGPGetReportCategoriesResponse>(request);
    if (!session.accepted(*answer))
        return ServiceRefused;
    for (const auto& category : answer->Category) {
        session.out() << category.Name << Qt::endl;
        for (const QString& type : category.ReportType)
            session.out() << "  " << type << Qt::endl;
    }
    return Ok;
}

// The categories name entries of a user interface (RT_JAC_BASIC, RT_SEPARATOR) that are no
// report types, and leave out types that are: the types are listed from the table itself.
QStringList typeNames() {
    QStringList names;
    for (int type = 0; type < reportRegistry::reportTypeCount; ++type)
        names.append(reportRegistry::reportTypeName(type));
    return names;
}

int types(Session& session) {
    session.out() << typeNames().join(QLatin1Char('\n')) << Qt::endl;
    return Ok;
}

int counters(Session& session, const QString& device) {
    CmdRGPGetCurrentUsageCountersRequest request;
    request.deviceId = device;
    const auto answer = session.call<CmdRGPGetCurrentUsageCountersResponse>(request);
    if (!session.accepted(*answer))
        return ServiceRefused;
    TextTable table;
    table.columns = QStringList{"JobType", "ColorMode", "PageSize", "PrintMode", "Value"};
    for (const UsageCounter& counter : answer->counters)
        table.rows.append({counter.jobType, counter.colorMode, counter.pageSize, counter.printMode,
                           counter.value});
    if (table.rows.isEmpty()) {
        // The service answers an unknown device like one that reported nothing yet.
        Session::err() << "velmctl: device " << device
                       << " has no current counters (velmctl report generate --type "
                          "RT_DEVICE_LIST --wait lists the devices)"
                       << Qt::endl;
        return ServiceRefused;
    }
    session.out() << "Device " << answer->deviceId << Qt::endl
                  << table.format(QStringLiteral("  ")) << Qt::flush;
    return Ok;
}

// Exports a finished report and prints the web service's path of the file, and where it lies
// when this machine has the installation.
int exportReport(Session& session, const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"));
    const QCommandLineOption locale(QStringLiteral("locale"), QString(), QStringLiteral("LOCALE"));
    parser.addOptions({format, locale});
    if (!VerbArguments::parse(parser, arguments, Family))
        return UsageError;
    const QStringList ids = parser.positionalArguments();
    if (ids.size() != 1 || !parser.isSet(format)) {
        VerbArguments::usageError(Family,
                                  QStringLiteral("report export takes an id and --format HTML, "
                                                 "CSV or XML"));
        return UsageError;
    }
    if (!VerbArguments::number(QStringLiteral("A report id"), ids[0], 0,
                               std::numeric_limits<qint32>::max()))
        return UsageError;
    const auto fileFormat =
        VerbArguments::fileFormat(QStringLiteral("--format"), parser.value(format));
    if (!fileFormat)
        return UsageError;
    CmdRGPExportReportRequest request;
    request.reportId = ids[0].trimmed();
    request.fileFormat = *fileFormat;
    request.locale = parser.value(locale);
    const auto answer = session.call<CmdRGPExportReportResponse>(request);
    if (!session.accepted(*answer))
        return ServiceRefused;
    if (answer->filePath.isEmpty()) {
        Session::err() << "velmctl: the report was exported but the web service did not take "
                          "the file"
                       << Qt::endl;
        return ServiceRefused;
    }
    session.out() << "File: " << answer->filePath << Qt::endl;
    const QString installation = installationPath();
    const QString local = installation + QStringLiteral("/html/") + answer->filePath;
    if (!installation.isEmpty() && QFileInfo::exists(local))
        session.out() << "Full path: " << QFileInfo(local).absoluteFilePath() << Qt::endl;
    return Ok;
}

int run(Session& session, const QStringList& arguments) {
    const QString verb = arguments.value(0);
    if (verb == QLatin1String("generate"))
        return generate(session, arguments.mid(1));
    if (verb == QLatin1String("export"))
        return exportReport(session, arguments.mid(1));
    if (verb == QLatin1String("mail"))
        return MailVerbs::run(session, arguments.mid(1));
    const QHash<QString, int (*)(Session&, const QString&)> byId = {{"status", &status},
                                                                    {"results", &printResults},
                                                                    {"cancel", &cancel},
                                                                    {"counters", &counters}};
    const auto withId = byId.constFind(verb);
    if (withId != byId.cend()) {
        if (arguments.size() != 2) {
            VerbArguments::usageError(Family, QStringLiteral("report %1 takes one id").arg(verb));
            return UsageError;
        }
        const QString what = verb == QLatin1String("counters") ? QStringLiteral("A device id")
                                                               : QStringLiteral("A report id");
        if (!VerbArguments::number(what, arguments[1], 0, std::numeric_limits<qint32>::max()))
            return UsageError;
        return (*withId)(session, arguments[1].trimmed());
    }
    if (verb == QLatin1String("categories") && arguments.size() == 1)
        return categories(session);
    if (verb == QLatin1String("types") && arguments.size() == 1)
        return types(session);
    VerbArguments::usageError(Family, QStringLiteral("unknown report verb \"%1\" (generate, "
                                                     "status, results, cancel, categories, "
                                                     "types, counters, export, mail)")
                                          .arg(verb));
    return UsageError;
}

} // namespace

QString reportFormatOf(const QCommandLineParser& parser) {
    if (const QString format = parser.value(QStringLiteral("format")); !format.isEmpty())
        return VerbArguments::oneOf(QStringLiteral("--format"), format, reportFormats,
                                    Qt::CaseInsensitive)
            .value_or(format);
    // Without a format the service draws a chart of every device's periods one after the
    // other; a chart over the periods is asked for by this exact spelling.
    return parser.isSet(QStringLiteral("chart-type")) ? QStringLiteral("Chart")
                                                      : QStringLiteral("TABLE");
}

QString defaultSortByFor(const QString& reportType) {
    return reportType.startsWith(QLatin1String("RT_JAC_")) ? QString() : QStringLiteral("IP");
}

QList<QCommandLineOption> definitionOptionList() {
    QList<QCommandLineOption> list;
    for (const auto& [option, element] : definitionOptions)
        list.append(QCommandLineOption(option, QString(), element.toUpper()));
    for (const char* repeatable : {"device", "group", "model", "user", "user-group"})
        list.append(QCommandLineOption(QString::fromLatin1(repeatable), QString(),
                                       QStringLiteral("VALUE")));
    list.append(QCommandLineOption(QStringLiteral("summary")));
    return list;
}

// The values the service would read as something else than meant: caught here, before sending.
bool definitionValuesValid(const QCommandLineParser& parser) {
    using namespace VerbArguments;
    constexpr qint64 maxId = std::numeric_limits<qint32>::max();
    if (const QString type = parser.value(QStringLiteral("type"));
        parser.isSet(QStringLiteral("type")) && !reportTypeNamed(type)) {
        Session::err() << "velmctl: --type \"" << type << "\" is no report type"
                       << NearNames::didYouMean(NearNames::closest(type, typeNames()))
                       << " (velmctl report types lists them all)" << Qt::endl;
        return false;
    }
    const QList<std::pair<QString, QStringList>> choices = {
        {QStringLiteral("period"), periodNames()},
        {QStringLiteral("interval"), reportRegistry::intervalCodes()},
        {QStringLiteral("chart-type"), {"CT_BAR", "CT_LINE", "CT_PIE"}},
    };
    for (const auto& [option, allowed] : choices)
        if (parser.isSet(option) &&
            !oneOf(QStringLiteral("--") + option, parser.value(option), allowed))
            return false;
    if (parser.isSet(QStringLiteral("format")) &&
        !oneOf(QStringLiteral("--format"), parser.value(QStringLiteral("format")), reportFormats,
               Qt::CaseInsensitive))
        return false;
    for (const char* option : {"from", "to"})
        if (parser.isSet(option) &&
            !secondsSince1970(QStringLiteral("--%1").arg(option), parser.value(option)))
            return false;
    for (const char* option : {"device", "group"})
        for (const QString& id : parser.values(option))
            if (!number(QStringLiteral("--%1").arg(option), id, 0, maxId))
                return false;
    // The alert trend sums a summary's alerts per grouping value and names that column after
    // the grouping: without one the database refuses the column and the report fails.
    if (reportTypeNamed(parser.value(QStringLiteral("type"))) == QLatin1String("RT_ALERT_TREND") &&
        parser.isSet(QStringLiteral("summary")) &&
        parser.value(QStringLiteral("group-by")).isEmpty()) {
        usageError(Family, QStringLiteral("an RT_ALERT_TREND --summary needs --group-by: Group "
                                          "or a device property such as ModelName or Location"));
        return false;
    }
    return true;
}

std::optional<QString> reportTypeNamed(const QString& text) {
    for (const QString& name : typeNames())
        if (name.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return name;
    return std::nullopt;
}

VerbFamily family() {
    return {Family, QStringLiteral("generate reports, follow them and print their rows"), Help,
            &run};
}

} // namespace ReportVerbs
