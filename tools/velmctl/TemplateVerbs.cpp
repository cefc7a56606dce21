#include "TemplateVerbs.h"

#include "ExitCodes.h"
#include "IntervalNames.h"
#include "MessageText.h"
#include "ReportVerbs.h"
#include "Session.h"
#include "TextTable.h"
#include "VerbArguments.h"

#include "VELMPluginReportGenerator/Commands/CCmdRGPGetReportTemplateListResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateRequest.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGTemplateIdRequest.h"
#include "VELMPluginReportGenerator/templates/TemplateXml.h"

#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QHash>
#include <QLoggingCategory>
#include <QTextStream>
#include <optional>

namespace TemplateVerbs {

namespace {

using ExitCode::Ok;
using ExitCode::UsageError;
constexpr int Refused = ExitCode::ServiceRefused;

const QString Family = QStringLiteral("template");

const QString Help = QStringLiteral(
    R"(velmctl [--url URL] template VERB ...

Report templates: a report definition with an optional e-mail and schedule; at each planned
time the report is generated and mailed.

  template add FILE
  template add --name NAME --type TYPE [report options] [mail options] [schedule options]
      Stores a template and prints its id. FILE holds a whole RGPAddReportTemplate request
      or its Name, Report, Email and Schedule elements.
  template set ID [FILE | options]
      Replaces the template from FILE, or changes what the options name.
  template get ID         the template as a table
  template delete ID
  template list           every template with its schedule and next run

  Report options: those of "report generate" (--type, --period, --from, --to, --interval,
      --format, --chart-type, --sort-by, --group-by, --summary, --device, --group, --model).
  Mail options: --mail-to ADDRESS (repeatable), --attach CSV|HTML|XML (repeatable),
      --mail-subject TEXT, --mail-text TEXT, --mail-locale LOCALE.
  Schedule options: --schedule Once|Periodic, --start TIME (2026-12-08T09:00, local time, or
      seconds since 1970), --every I_HOUR|I_DAY|I_WEEK|I_MONTH (or hour, day, week, month;
      any case), --frequency N (runs N intervals apart).

Examples:
  velmctl --url http://127.0.0.1:8480/ template add --name "Weekly devices" \
      --type RT_DEVICE_LIST --mail-to admin@example.com --attach HTML \
      --start 2026-12-08T07:00 --every I_WEEK
  velmctl --url http://127.0.0.1:8480/ template list
  velmctl --url http://127.0.0.1:8480/ template get 0
)");

const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QTextStream& err() {
    return Session::err();
}

int usage(const QString& message) {
    VerbArguments::usageError(Family, message);
    return UsageError;
}

// Seconds since 1970, or a local date and time such as 2026-12-08T09:00.
std::optional<QDateTime> timeFromOption(const QString& text) {
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok, 10);
    if (ok)
        return QDateTime::fromSecsSinceEpoch(seconds);
    const QDateTime local = QDateTime::fromString(text, Qt::ISODate);
    return local.isValid() ? std::optional<QDateTime>(local) : std::nullopt;
}

// A template as a file holds it: a whole request, or its Name, Report, Email and Schedule.
// Nothing, after saying why, when it cannot be read or holds no template.
std::optional<ReportTemplate> templateFromFile(const QString& name) {
    const auto bytes = VerbArguments::fileOrStandardInput(name);
    if (!bytes)
        return std::nullopt;
    QString text = MessageText::decode(*bytes);
    if (!text.contains(QLatin1String("<VXNRequest")))
        text = QStringLiteral("<VXNRequest command=\"RGPAddReportTemplate\">") + text +
               QStringLiteral("</VXNRequest>");
    CCmdRGAddReportTemplateRequest request;
    try {
        request.parse(text.toUtf8());
    } catch (const WrongPacketFormat& e) {
        err() << "velmctl: " << name << ": " << e.message() << Qt::endl;
        return std::nullopt;
    }
    // Read into the record such a value is lost, and the template would run at another time.
    if (!request.unplannableSchedule.isEmpty()) {
        err() << "velmctl: " << name << ": " << request.unplannableSchedule << Qt::endl;
        return std::nullopt;
    }
    return request.record;
}

// A schedule the service would store but never run is refused: a single run without its time
// (the service would place it a year back), a recurring one without its interval. A recurring
// one without a start begins now rather than a year back, which is when it would run anyway.
bool scheduleComplete(TemplateSchedule& schedule, bool once) {
    if (schedule.absent)
        return true;
    if (once && !schedule.startTime.isValid()) {
        err() << "velmctl: a template that runs once needs --start, the time of its run"
              << Qt::endl;
        return false;
    }
    if (!once && schedule.interval.isEmpty()) {
        err() << "velmctl: a template that recurs needs --every I_HOUR, I_DAY, I_WEEK or I_MONTH"
              << Qt::endl;
        return false;
    }
    if (!schedule.startTime.isValid())
        schedule.startTime = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    return true;
}

// Options that are set replace what `record` holds; false when one of them is unreadable.
bool applyOptions(const QCommandLineParser& parser, ReportTemplate& record) {
    const auto text = [&](const char* option, QString& field) {
        if (parser.isSet(QLatin1String(option)))
            field = parser.value(QLatin1String(option));
    };
    const auto list = [&](const char* option, QStringList& field) {
        if (parser.isSet(QLatin1String(option)))
            field = parser.values(QLatin1String(option));
    };
    const auto time = [&](const char* option, QDateTime& field) {
        if (!parser.isSet(QLatin1String(option)))
            return true;
        const auto parsed = timeFromOption(parser.value(QLatin1String(option)));
        if (!parsed && VerbArguments::isSkippedLocalTime(parser.value(QLatin1String(option))))
            err() << "velmctl: --" << option << ": "
                  << VerbArguments::skippedLocalTimeMessage(parser.value(QLatin1String(option)))
                  << Qt::endl;
        else if (!parsed)
            err() << "velmctl: --" << option << " takes seconds since 1970 or a date and time "
                  << "such as 2026-12-08T09:00" << Qt::endl;
        field = parsed.value_or(QDateTime());
        return parsed.has_value();
    };
    TemplateReport& report = record.report;
    text("name", record.name);
    text("type", report.reportType);
    report.reportType = ReportVerbs::reportTypeNamed(report.reportType).value_or(report.reportType);
    if (parser.isSet(QStringLiteral("format")) || parser.isSet(QStringLiteral("chart-type")))
        report.reportFormat = ReportVerbs::reportFormatOf(parser);
    text("period", report.period);
    text("interval", report.interval);
    text("chart-type", report.chartType);
    text("sort-by", report.sortBy);
    text("group-by", report.groupBy);
    if (parser.isSet(QStringLiteral("summary")))
        report.summary = true;
    const std::pair<const char*, int> selections[] = {{"device", 0}, {"group", 1}, {"model", 2}};
    for (const auto& [option, kind] : selections)
        if (parser.isSet(QLatin1String(option))) {
            report.selectionKind = kind;
            report.selectionValues = parser.values(QLatin1String(option));
        }
    bool valid = time("from", report.from) && time("to", report.to);

    TemplateEmail& email = record.email;
    for (const char* option : {"mail-to", "attach", "mail-subject", "mail-text", "mail-locale"})
        if (parser.isSet(QLatin1String(option)))
            email.absent = false;
    list("mail-to", email.recipients);
    for (const QString& recipient : parser.values(QStringLiteral("mail-to")))
        if (!VerbArguments::mailAddress(QStringLiteral("--mail-to"), recipient))
            return false;
    if (parser.isSet(QStringLiteral("attach"))) {
        email.fileFormats.clear();
        for (const QString& format : parser.values(QStringLiteral("attach"))) {
            const auto known = VerbArguments::fileFormat(QStringLiteral("--attach"), format);
            if (!known)
                return false;
            email.fileFormats.append(*known);
        }
    }
    text("mail-subject", email.subject);
    text("mail-text", email.content);
    text("mail-locale", email.locale);

    TemplateSchedule& schedule = record.schedule;
    for (const char* option : {"schedule", "start", "every", "frequency"})
        if (parser.isSet(QLatin1String(option)))
            schedule.absent = false;
    text("schedule", schedule.type);
    // Stored as templates name it, whichever spelling was given (checked before).
    if (const auto unit = IntervalNames::unitOf(parser.value(QStringLiteral("every"))))
        schedule.interval = IntervalNames::templateName(*unit);
    if (parser.isSet(QStringLiteral("frequency"))) {
        bool ok = false;
        schedule.frequency = parser.value(QStringLiteral("frequency")).toUInt(&ok);
        if (!ok || schedule.frequency == 0) {
            err() << "velmctl: --frequency takes a whole number from 1" << Qt::endl;
            valid = false;
        }
    }
    // An interval asked for without a type means a recurring schedule, also where the template
    // ran once so far: kept "Once", the service would drop the interval.
    const bool recurrenceAsked =
        parser.isSet(QStringLiteral("every")) && !parser.isSet(QStringLiteral("schedule"));
    if (recurrenceAsked)
        schedule.type = QStringLiteral("Periodic");
    if (!schedule.absent && schedule.type.isEmpty())
        schedule.type =
            schedule.interval.isEmpty() ? QStringLiteral("Once") : QStringLiteral("Periodic");
    if (!time("start", schedule.startTime))
        return false;
    const bool once = schedule.type.compare(QLatin1String("Once"), Qt::CaseInsensitive) == 0;
    if (!schedule.absent && once && parser.isSet(QStringLiteral("start")) &&
        !VerbArguments::singleRunAhead(QStringLiteral("--start"), schedule.startTime))
        return false;
    return valid && scheduleComplete(schedule, once);
}

// The template an add or set sends: from FILE, or from the options on top of `base`.
std::optional<ReportTemplate>
templateToSend(const QStringList& files, const QCommandLineParser& parser, ReportTemplate base) {
    if (!files.isEmpty())
        return templateFromFile(files.first());
    if (!applyOptions(parser, base))
        return std::nullopt;
    return base;
}

QString timeText(const QDateTime& time) {
    return time.isValid() ? time.toLocalTime().toString(timeFormat) : QString();
}

// "every 2 weeks from ...", "once at ...", "on request".
QString scheduleText(const TemplateSchedule& schedule) {
    if (schedule.absent)
        return QStringLiteral("on request");
    const QString start = timeText(schedule.startTime);
    if (schedule.type.compare(QLatin1String("Once"), Qt::CaseInsensitive) == 0 ||
        schedule.interval.isEmpty())
        return start.isEmpty() ? schedule.type : QStringLiteral("once at ") + start;
    const auto known = IntervalNames::unitOf(schedule.interval);
    const QString unit = known ? IntervalNames::word(*known) : schedule.interval;
    QString text = schedule.frequency == 1
                       ? QStringLiteral("every ") + unit
                       : QStringLiteral("every %1 %2s").arg(schedule.frequency).arg(unit);
    if (!start.isEmpty())
        text += QStringLiteral(" from ") + start;
    return text;
}

int add(Session& session, const QStringList& files, const QCommandLineParser& parser) {
    auto record = templateToSend(files, parser, ReportTemplate());
    if (!record)
        return UsageError;
    // As for report generate: without an order every report that lists devices fails.
    if (files.isEmpty() && !parser.isSet(QStringLiteral("sort-by")))
        record->report.sortBy = ReportVerbs::defaultSortByFor(record->report.reportType);
    if (files.isEmpty() && record->report.reportFormat.isEmpty())
        record->report.reportFormat = ReportVerbs::reportFormatOf(parser);
    if (record->name.isEmpty() || record->report.reportType.isEmpty())
        return usage(QStringLiteral("template add needs a FILE or --name and --type"));
    CCmdRGAddReportTemplateRequest request;
    request.record = *record;
    const auto answer = session.call<CCmdRGAddTemplateResponse>(request);
    if (!Session::accepted(*answer))
        return Refused;
    session.out() << answer->templateId << Qt::endl;
    return Ok;
}

std::unique_ptr<CCmdRGReportTemplateResponse> fetch(Session& session, const QString& id) {
    CCmdRGGetReportTemplateRequest request;
    request.templateId = id;
    return session.call<CCmdRGReportTemplateResponse>(request);
}

int set(Session& session, const QString& id, const QStringList& files,
        const QCommandLineParser& parser) {
    ReportTemplate base;
    if (files.isEmpty()) {
        // Options change the stored template; what they do not name stays.
        const auto stored = fetch(session, id);
        if (!Session::accepted(*stored))
            return Refused;
        base = stored->record;
    }
    const auto record = templateToSend(files, parser, base);
    if (!record)
        return UsageError;
    CCmdRGSetReportTemplateRequest request;
    request.templateId = id;
    request.record = *record;
    request.record.id = id.toUInt();
    return Session::accepted(*session.call<CCmdRGTemplateResponse>(request)) ? Ok : Refused;
}

int get(Session& session, const QString& id) {
    const auto answer = fetch(session, id);
    if (!Session::accepted(*answer))
        return Refused;
    const ReportTemplate& record = answer->record;
    const TemplateReport& report = record.report;
    TextTable table{{QStringLiteral("Field"), QStringLiteral("Value")}, {}};
    const auto row = [&](const QString& field, const QString& value) {
        if (!value.isEmpty())
            table.rows.append({field, value});
    };
    row(QStringLiteral("Template"), QString::number(record.id));
    row(QStringLiteral("Name"), record.name);
    row(QStringLiteral("Report type"), report.reportType);
    row(QStringLiteral("Format"), report.reportFormat);
    row(QStringLiteral("Period"), report.period);
    row(QStringLiteral("From"), timeText(report.from));
    row(QStringLiteral("To"), timeText(report.to));
    row(QStringLiteral("Interval"), report.interval);
    row(QStringLiteral("Summary"), report.summary ? QStringLiteral("yes") : QString());
    row(QStringLiteral("Chart type"), report.chartType);
    row(QStringLiteral("Sort by"), report.sortBy);
    row(QStringLiteral("Group by"), report.groupBy);
    if (!report.selectionValues.isEmpty())
        row(templateSelectionNames().value(report.selectionKind),
            report.selectionValues.join(QStringLiteral(", ")));
    if (!record.email.absent) {
        row(QStringLiteral("Mail to"), record.email.recipients.join(QStringLiteral(", ")));
        row(QStringLiteral("Subject"), record.email.subject);
        row(QStringLiteral("Text"), record.email.content);
        row(QStringLiteral("Attach"), record.email.fileFormats.join(QStringLiteral(", ")));
        row(QStringLiteral("Locale"), record.email.locale);
    }
    row(QStringLiteral("Schedule"), scheduleText(record.schedule));
    session.out() << table.format();
    return Ok;
}

int remove(Session& session, const QString& id) {
    CCmdRGPDeleteReportTemplateRequest request;
    request.templateId = id;
    return Session::accepted(*session.call<CCmdRGPDeleteReportTemplateResponse>(request)) ? Ok
                                                                                          : Refused;
}

int list(Session& session) {
    CCmdRGPGetReportTemplateListRequest request;
    const auto answer = session.call<CCmdRGPGetReportTemplateListResponse>(request);
    if (!Session::accepted(*answer))
        return Refused;
    if (answer->entries.isEmpty()) {
        session.out() << "No templates." << Qt::endl;
        return Ok;
    }
    TextTable table;
    for (const TemplateListEntry& entry : answer->entries)
        table.addRow({{QStringLiteral("ID"), QString::number(entry.id)},
                      {QStringLiteral("Name"), entry.name},
                      {QStringLiteral("Report type"), entry.reportType},
                      {QStringLiteral("Format"), entry.reportFormat},
                      {QStringLiteral("Schedule"), scheduleText(entry.schedule)},
                      {QStringLiteral("Next run"), entry.hasNext ? timeText(entry.next) : "-"}});
    session.out() << table.format();
    return Ok;
}

// The schedule's words, checked before sending; the numbers and times are checked where they
// are read.
bool scheduleValuesValid(const QCommandLineParser& parser) {
    const QString every = parser.value(QStringLiteral("every"));
    if (parser.isSet(QStringLiteral("every")) && !IntervalNames::unitOf(every)) {
        VerbArguments::usageError(Family, QStringLiteral("--every must be I_HOUR, I_DAY, I_WEEK "
                                                         "or I_MONTH (or hour, day, week, month), "
                                                         "not \"%1\"")
                                              .arg(every));
        return false;
    }
    return !parser.isSet(QStringLiteral("schedule")) ||
           VerbArguments::oneOf(QStringLiteral("--schedule"),
                                parser.value(QStringLiteral("schedule")), {"Once", "Periodic"});
}

QList<QCommandLineOption> options() {
    return {
        {QStringLiteral("name"), QStringLiteral("template add|set: the template's name."), "NAME"},
        {QStringLiteral("mail-to"),
         QStringLiteral("template add|set: a recipient of the report (repeatable)."), "ADDRESS"},
        {QStringLiteral("attach"),
         QStringLiteral("template add|set: a file format to attach, CSV, HTML or XML "
                        "(repeatable)."),
         "FORMAT"},
        {QStringLiteral("mail-subject"), QStringLiteral("template add|set: the mail's subject."),
         "TEXT"},
        {QStringLiteral("mail-text"), QStringLiteral("template add|set: the mail's text."), "TEXT"},
        {QStringLiteral("mail-locale"),
         QStringLiteral("template add|set: the locale of the attached files."), "LOCALE"},
        {QStringLiteral("schedule"), QStringLiteral("template add|set: Once or Periodic."), "TYPE"},
        {QStringLiteral("start"),
         QStringLiteral("template add|set: the first run, as seconds since 1970 or "
                        "2026-12-08T09:00 (local time)."),
         "TIME"},
        {QStringLiteral("every"),
         QStringLiteral("template add|set: I_HOUR, I_DAY, I_WEEK or I_MONTH (or hour, day, "
                        "week, month)."),
         "INTERVAL"},
        {QStringLiteral("frequency"),
         QStringLiteral("template add|set: how many intervals between runs."), "N"},
    };
}

int run(Session& session, const QStringList& words) {
    // The template answer logs its body for the service's log; a person reads the table.
    QLoggingCategory::setFilterRules(QStringLiteral("info=false"));
    QCommandLineParser parser;
    parser.addOptions(options() + ReportVerbs::definitionOptionList());
    if (!VerbArguments::parse(parser, words, Family) ||
        !ReportVerbs::definitionValuesValid(parser) || !scheduleValuesValid(parser))
        return UsageError;
    const QStringList arguments = parser.positionalArguments();
    const QString verb = arguments.value(0);
    const bool takesId = verb == QLatin1String("set") || verb == QLatin1String("get") ||
                         verb == QLatin1String("delete");
    if (takesId && !templateXml::idFromText(arguments.value(1)))
        return usage(QStringLiteral("template %1 needs a template id").arg(verb));
    if (verb == QLatin1String("add") && arguments.size() <= 2)
        return add(session, arguments.mid(1), parser);
    if (verb == QLatin1String("set") && arguments.size() <= 3)
        return set(session, arguments[1], arguments.mid(2), parser);
    if (verb == QLatin1String("get") && arguments.size() == 2)
        return get(session, arguments[1]);
    if (verb == QLatin1String("delete") && arguments.size() == 2)
        return remove(session, arguments[1]);
    if (verb == QLatin1String("list") && arguments.size() == 1)
        return list(session);
    return usage(QStringLiteral("unknown template verb or arguments \"%1\" (add [FILE], set ID "
                                "[FILE], get ID, delete ID, list)")
                     .arg(arguments.join(QLatin1Char(' '))));
}

} // namespace

VerbFamily family() {
    return {Family, QStringLiteral("report templates: reports mailed on a schedule"), Help, &run};
}

} // namespace TemplateVerbs
