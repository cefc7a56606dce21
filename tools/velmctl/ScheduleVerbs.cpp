#include "ScheduleVerbs.h"

#include "ExitCodes.h"
#include "IntervalNames.h"
#include "MessageText.h"
#include "Session.h"
#include "TextTable.h"
#include "VerbArguments.h"

#include "scheduler/CmdSchGetEventsInfoResponse.h"
#include "scheduler/CmdSchIdList.h"
#include "scheduler/CmdSchRegister.h"
#include "scheduler/CommandName.h"
#include "scheduler/NextRunTime.h"
#include "scheduler/SchedulerResults.h"

#include <QRegularExpression>

namespace ScheduleVerbs {

namespace {

const QString Family = QStringLiteral("schedule");
// Also the service whose items are the report templates.
const QString DefaultService = QStringLiteral("RG");

const QString Help = QStringLiteral(
    R"(velmctl [--url URL] schedule VERB ...

Items of the scheduler: at a start time, and then again at every interval, the scheduler sends
a stored command to the service that serves it.

  schedule add --start DATE --every INTERVAL --send COMMAND [--body FILE] [options]
      Plans COMMAND and prints the new item's id.
      --start DATE        first run, local time: 2026-12-08T07:00 (seconds optional)
      --every INTERVAL    once, hour, day, week or month (or as templates name them,
                          I_HOUR ... I_MONTH; any case), optionally with a count:
                          "2 weeks", 3days, "2 I_WEEK"
      --send COMMAND      the command to send, e.g. RGPGenerateReport
      --body FILE         its parameters: a file holding the request (or only the elements
                          inside <VXNRequest>); - reads standard input
      --service NAME      the group the item belongs to (default RG, where report
                          templates live: name a group of your own)
      --tag TEXT          a note kept with the item
      --replace ID        replace item ID instead of adding one
      --until-restart     keep the item in memory only (default: stored in the database,
                          so that it survives a restart)

  schedule list [--service NAME] [ID...]
      The items of the service (default RG), or the ones given, as a table.

  schedule remove --service NAME ID... | all
      Removes the items given, or all items of the service. Ids that do not exist are
      skipped. The service must be named: the items of RG are the report templates, which
      velmctl template delete ID removes.

Report templates are mailed on a schedule of their own: see velmctl help template.

Examples:
  velmctl --url http://127.0.0.1:8480/ schedule add --service Nightly \
      --start 2026-12-08T02:00 --every day --send RGPGenerateReport --body device-list.xml
  velmctl --url http://127.0.0.1:8480/ schedule list --service Nightly
  velmctl --url http://127.0.0.1:8480/ schedule remove --service Nightly 3 4
)");

const QCommandLineOption serviceOption(QStringLiteral("service"), QString(), QStringLiteral("NAME"),
                                       DefaultService);

struct Interval {
    int code = OccurOnce;
    qint32 value = 1;
};

int occurrenceOf(IntervalNames::Unit unit) {
    switch (unit) {
    case IntervalNames::Unit::Hour:
        return OccurHourly;
    case IntervalNames::Unit::Day:
        return OccurDaily;
    case IntervalNames::Unit::Week:
        return OccurWeekly;
    case IntervalNames::Unit::Month:
        break;
    }
    return OccurMonthly;
}

// "once", "day", "2 weeks", "3days", "I_WEEK", "2 i_week" ...
std::optional<Interval> intervalFrom(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^(?:(\\d+)\\s*)?(?:(once)|(hour|day|week|month)s?|(I_[a-z]+))$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = form.match(text.trimmed());
    const QString count = match.captured(1);
    const bool once = !match.captured(2).isEmpty();
    const auto unit = IntervalNames::unitOf(match.captured(3) + match.captured(4));
    if (!match.hasMatch() || (once && !count.isEmpty()) || (!once && !unit)) {
        VerbArguments::usageError(
            Family, QStringLiteral("--every must be once, hour, day, week or month (or I_HOUR, "
                                   "I_DAY, I_WEEK, I_MONTH), optionally with a count such as "
                                   "\"2 weeks\", not \"%1\"")
                        .arg(text));
        return std::nullopt;
    }
    Interval interval{once ? OccurOnce : occurrenceOf(*unit), 1};
    if (count.isEmpty())
        return interval;
    const auto value =
        VerbArguments::number(QStringLiteral("The count of --every"), count, 1, 1000000);
    if (!value)
        return std::nullopt;
    interval.value = static_cast<qint32>(*value);
    return interval;
}

std::optional<QString> commandText(const QString& command, const QString& bodyFile) {
    // Command names are plain words; anything else could not be told from the stored text.
    static const QRegularExpression name(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*$"));
    if (!name.match(command).hasMatch()) {
        VerbArguments::usageError(Family,
                                  QStringLiteral("--send must name a command such as "
                                                 "RGPGenerateAndSendReportByEmail, not \"%1\"")
                                      .arg(command));
        return std::nullopt;
    }
    QByteArray input;
    if (!bodyFile.isEmpty()) {
        const auto read = VerbArguments::fileOrStandardInput(bodyFile);
        if (!read)
            return std::nullopt;
        input = *read;
    }
    const QString text = MessageText::decode(MessageText::requestBody(command, input));
    if (commandNameOf(text) != command) {
        VerbArguments::usageError(Family, QStringLiteral("%1 holds a request for \"%2\", not %3")
                                              .arg(bodyFile, commandNameOf(text), command));
        return std::nullopt;
    }
    return text;
}

// The ids of the command line; "all" selects every item.
std::optional<ScheduleIdSelection> selectionFrom(const QStringList& words, bool allowAll) {
    ScheduleIdSelection selection;
    if (allowAll && words.size() == 1 &&
        words[0].compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        selection.all = true;
        return selection;
    }
    for (const QString& word : words) {
        const auto id = VerbArguments::number(QStringLiteral("An item id"), word, 0,
                                              std::numeric_limits<qint32>::max());
        if (!id)
            return std::nullopt;
        selection.ids.append(static_cast<qint32>(*id));
    }
    selection.all = words.isEmpty();
    return selection;
}

QString timeText(const std::optional<QDateTime>& time) {
    return time ? time->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("-");
}

QString intervalText(const ScheduleItem& item) {
    static const QStringList units = {QString(), "hour", "day", "week", "month"};
    if (item.intervalType <= OccurOnce || item.intervalType >= units.size())
        return QStringLiteral("once");
    const QString unit = units[item.intervalType];
    return item.intervalValue == 1
               ? QStringLiteral("every ") + unit
               : QStringLiteral("every %1 %2s").arg(item.intervalValue).arg(unit);
}

int add(Session& session, const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption start(QStringLiteral("start"), QString(), QStringLiteral("DATE"));
    const QCommandLineOption every(QStringLiteral("every"), QString(), QStringLiteral("INTERVAL"));
    const QCommandLineOption send(QStringLiteral("send"), QString(), QStringLiteral("COMMAND"));
    const QCommandLineOption body(QStringLiteral("body"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption tag(QStringLiteral("tag"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption replace(QStringLiteral("replace"), QString(), QStringLiteral("ID"));
    const QCommandLineOption untilRestart(QStringLiteral("until-restart"), QString());
    parser.addOptions({serviceOption, start, every, send, body, tag, replace, untilRestart});
    if (!VerbArguments::parse(parser, arguments, Family))
        return ExitCode::UsageError;
    if (!parser.isSet(start) || !parser.isSet(every) || !parser.isSet(send) ||
        !parser.positionalArguments().isEmpty()) {
        VerbArguments::usageError(Family,
                                  QStringLiteral("schedule add takes --start, --every and --send"));
        return ExitCode::UsageError;
    }
    CmdSchRegisterRequest request;
    request.serviceName = parser.value(serviceOption);
    // The scheduler carries times as unsigned 32-bit seconds since 1970.
    const auto startTime = VerbArguments::localDateTimeWithin(
        QStringLiteral("--start"), parser.value(start), std::numeric_limits<quint32>::max());
    const auto interval = startTime ? intervalFrom(parser.value(every)) : std::nullopt;
    const auto text = interval ? commandText(parser.value(send), parser.value(body)) : std::nullopt;
    if (!text)
        return ExitCode::UsageError;
    if (interval->code == OccurOnce &&
        !VerbArguments::singleRunAhead(QStringLiteral("--start"), *startTime))
        return ExitCode::UsageError;
    if (parser.isSet(replace)) {
        const auto id = VerbArguments::number(QStringLiteral("--replace"), parser.value(replace), 0,
                                              std::numeric_limits<qint32>::max());
        if (!id)
            return ExitCode::UsageError;
        request.scheduleId = *id;
    }
    request.item.startTime = *startTime;
    request.item.intervalType = interval->code;
    request.item.intervalValue = interval->value;
    // A single run carries its start as stop time; a recurring item carries none, since any
    // other stop time would end it before its first run.
    if (interval->code == OccurOnce)
        request.item.stopTime = *startTime;
    request.item.commandToSend = *text;
    request.item.tag = parser.value(tag);
    request.item.permanent = !parser.isSet(untilRestart);
    const auto answer = session.call<CmdSchRegisterResponse>(request);
    if (!session.accepted(*answer))
        return ExitCode::ServiceRefused;
    if (answer->scheduleId == SchedulerResult::UnknownScheduleId) {
        Session::err() << "velmctl: service " << request.serviceName << " has no item "
                       << request.scheduleId << " to replace" << Qt::endl;
        return ExitCode::ServiceRefused;
    }
    // A recurring item that started in the past runs next at its next step from now.
    const std::optional<QDateTime> firstRun =
        nextRunTime(*startTime, interval->code, interval->value, QDateTime::currentDateTime());
    session.out() << "Scheduled item " << answer->scheduleId << " of service "
                  << request.serviceName << ": " << parser.value(send) << ", "
                  << intervalText(request.item) << ", first run "
                  << (firstRun ? timeText(*firstRun) : QStringLiteral("none")) << Qt::endl;
    return ExitCode::Ok;
}

int list(Session& session, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addOption(serviceOption);
    if (!VerbArguments::parse(parser, arguments, Family))
        return ExitCode::UsageError;
    const auto selection = selectionFrom(parser.positionalArguments(), false);
    if (!selection)
        return ExitCode::UsageError;
    CmdSchGetEventsInfoRequest request;
    request.serviceName = parser.value(serviceOption);
    request.selection = *selection;
    const auto answer = session.call<CmdSchGetEventsInfoResponse>(request);
    // Asked for everything, "Invalid ID(s)" only means that there is nothing.
    if (selection->all && answer->result() == SchedulerResult::InvalidIds) {
        session.out() << "Service " << request.serviceName << " has no scheduled items."
                      << Qt::endl;
        return ExitCode::Ok;
    }
    if (!session.accepted(*answer))
        return ExitCode::ServiceRefused;
    TextTable table;
    table.columns = QStringList{"ID", "Next run", "Interval", "Start", "Stored", "Command", "Tag"};
    for (const auto& [id, item] : answer->items)
        table.rows.append({QString::number(id), timeText(item.nextTime), intervalText(item),
                           timeText(item.startTime), item.permanent ? "yes" : "no",
                           commandNameOf(item.commandToSend), item.tag});
    session.out() << "Service " << request.serviceName << Qt::endl
                  << table.format(QStringLiteral("  ")) << Qt::flush;
    return ExitCode::Ok;
}

int remove(Session& session, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addOption(serviceOption);
    if (!VerbArguments::parse(parser, arguments, Family))
        return ExitCode::UsageError;
    // Without a service the default would remove report templates, which are items of RG.
    if (!parser.isSet(serviceOption)) {
        VerbArguments::usageError(
            Family, QStringLiteral("schedule remove needs --service NAME; report templates (the "
                                   "items of service %1) are removed with velmctl template "
                                   "delete ID")
                        .arg(DefaultService));
        return ExitCode::UsageError;
    }
    if (parser.positionalArguments().isEmpty()) {
        VerbArguments::usageError(Family, QStringLiteral("schedule remove takes ids or all"));
        return ExitCode::UsageError;
    }
    const auto selection = selectionFrom(parser.positionalArguments(), true);
    if (!selection)
        return ExitCode::UsageError;
    CmdSchUnregisterRequest request;
    request.serviceName = parser.value(serviceOption);
    request.selection = *selection;
    if (!session.accepted(*session.call<CmdSchUnregisterResponse>(request)))
        return ExitCode::ServiceRefused;
    session.out() << "Removed "
                  << (selection->all ? QStringLiteral("all items")
                                     : (selection->ids.size() == 1 ? QStringLiteral("item ")
                                                                   : QStringLiteral("items ")) +
                                           parser.positionalArguments().join(QStringLiteral(", ")))
                  << " of service " << request.serviceName << Qt::endl;
    return ExitCode::Ok;
}

int run(Session& session, const QStringList& arguments) {
    const QString verb = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    if (verb == QLatin1String("add"))
        return add(session, rest);
    if (verb == QLatin1String("list"))
        return list(session, rest);
    if (verb == QLatin1String("remove"))
        return remove(session, rest);
    VerbArguments::usageError(Family,
                              QStringLiteral("unknown verb \"%1\" (add, list, remove)").arg(verb));
    return ExitCode::UsageError;
}

} // namespace

VerbFamily family() {
    return {Family, QStringLiteral("add, list and remove planned commands of the scheduler"), Help,
            &run};
}

} // namespace ScheduleVerbs
