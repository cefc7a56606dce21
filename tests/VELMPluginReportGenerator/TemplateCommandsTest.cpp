// The template commands on a real scheduler service (its table on a scripted database).
#include "../scheduler/QtPrinters.h"

#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/templates/BodyText.h"
#include "VELMPluginReportGenerator/templates/StoredTemplate.h"
#include "VELMPluginReportGenerator/templates/TemplateCommands.h"
#include "VELMPluginReportGenerator/templates/TemplateResult.h"

#include "scheduler/SchedulerResults.h"
#include "scheduler/VELMScheduler.h"

#include "support/ScriptedDatabase.h"
#include "support/ScriptedPeers.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QThread>
#include <condition_variable>
#include <future>
#include <mutex>

using namespace std::chrono_literals;

namespace {

ReportTemplate named(const QString& name) {
    ReportTemplate record;
    record.name = name;
    record.report.reportType = QStringLiteral("RT_DEVICE_LIST");
    record.report.reportFormat = QStringLiteral("TABLE");
    return record;
}

ReportTemplate scheduled(const QString& name, const QString& type, const QString& interval,
                         quint32 frequency, const QDateTime& start) {
    ReportTemplate record = named(name);
    record.schedule.absent = false;
    record.schedule.type = type;
    record.schedule.interval = interval;
    record.schedule.frequency = frequency;
    record.schedule.startTime = start;
    return record;
}

// Lets callers through once `count` of them have arrived, or after `limit` for those that wait
// alone.
class Gathering {
public:
    Gathering(int count, std::chrono::milliseconds limit) : m_count(count), m_limit(limit) {}

    void arrive() {
        std::unique_lock lock(m_mutex);
        ++m_arrived;
        m_changed.notify_all();
        m_changed.wait_for(lock, m_limit, [&] { return m_arrived >= m_count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count;
    std::chrono::milliseconds m_limit;
    int m_arrived = 0;
};

class TemplateCommandsTest : public testing::Test {
protected:
    TemplateCommandsTest() {
        for (const QString& command :
             {QStringLiteral("SchRegister"), QStringLiteral("SchUnregister"),
              QStringLiteral("SchGetEventsInfo")})
            peers.answer(command, [this, command](const QByteArray& body) {
                return scheduler->dispatch(command, body);
            });
    }

    std::unique_ptr<CCmdRGAddTemplateResponse> add(const ReportTemplate& record) {
        CCmdRGAddReportTemplateRequest request;
        request.record = record;
        return commands.addTemplate(request);
    }
    // The id of a template that was added, or a test failure.
    quint32 added(const ReportTemplate& record) {
        const auto response = add(record);
        EXPECT_EQ(response->result(), 0) << response->details().toStdString();
        return response->templateId;
    }
    std::unique_ptr<CCmdRGTemplateResponse> set(const QString& id, const ReportTemplate& record) {
        CCmdRGSetReportTemplateRequest request;
        request.templateId = id;
        request.record = record;
        return commands.setTemplate(request);
    }
    std::unique_ptr<CCmdRGReportTemplateResponse> get(const QString& id) {
        CCmdRGGetReportTemplateRequest request;
        request.templateId = id;
        return commands.getTemplate(request);
    }
    std::unique_ptr<CCmdRGPDeleteReportTemplateResponse> remove(const QString& id) {
        CCmdRGPDeleteReportTemplateRequest request;
        request.templateId = id;
        return commands.deleteTemplate(request);
    }
    std::unique_ptr<CCmdRGPGetReportTemplateListResponse> list() {
        CCmdRGPGetReportTemplateListRequest request;
        return commands.getTemplateList(request);
    }
    // The scheduler's item of a template.
    ScheduleItem item(qint32 id) {
        CmdSchGetEventsInfoRequest request;
        request.serviceName = QStringLiteral("RG");
        request.selection.ids = {id};
        const auto info = scheduler->getEventsInfo(request);
        EXPECT_EQ(info->items.count(id), 1u);
        return info->items.count(id) ? info->items.at(id) : ScheduleItem();
    }

    ScriptedPeers database;
    ScriptedDatabase table{database};
    std::unique_ptr<VELMScheduler> scheduler =
        std::make_unique<VELMScheduler>(database, SchedulerTimings{0ms, 60000ms});
    ScriptedPeers peers;
    TemplateCommands commands{peers};
};

TEST_F(TemplateCommandsTest, AddAssignsIdsAndRefusesANameInAnyCase) {
    EXPECT_EQ(list()->result(), 0);
    EXPECT_TRUE(list()->entries.isEmpty());
    EXPECT_EQ(added(named(QStringLiteral("Weekly Zähler"))), 0u);
    EXPECT_EQ(added(named(QStringLiteral("Monthly"))), 1u);
    const auto twice = add(named(QStringLiteral("WEEKLY ZÄHLER")));
    EXPECT_EQ(twice->result(), TemplateResult::NameExists);
    EXPECT_EQ(twice->details(), QStringLiteral("Template name exists."));
    ASSERT_EQ(remove(QStringLiteral("0"))->result(), 0);
    EXPECT_EQ(added(named(QStringLiteral("weekly zähler"))), 2u);
    ASSERT_EQ(list()->entries.size(), 2);
}

TEST_F(TemplateCommandsTest, SetChecksTheIdAndTheNamesOfTheOthers) {
    const auto none = set(QStringLiteral("9"), named(QStringLiteral("x")));
    EXPECT_EQ(none->result(), SchedulerResult::InvalidIds);
    EXPECT_EQ(none->details(), QStringLiteral("Invalid ID(s)"));
    for (int i = 0; i < 5; ++i)
        added(named(QStringLiteral("t%1").arg(i)));

    const auto taken = set(QStringLiteral("3"), named(QStringLiteral("T4")));
    EXPECT_EQ(taken->result(), TemplateResult::NameExists);
    EXPECT_EQ(get(QStringLiteral("3"))->record.name, QStringLiteral("t3"));

    ReportTemplate changed = named(QStringLiteral("T3"));
    changed.report.reportType = QStringLiteral("RT_FIRMWARE_INFO");
    ASSERT_EQ(set(QStringLiteral("3"), changed)->result(), 0);
    const auto read = get(QStringLiteral("3"));
    EXPECT_EQ(read->record.name, QStringLiteral("T3"));
    EXPECT_EQ(read->record.id, 3u);
    EXPECT_EQ(read->record.report.reportType, QStringLiteral("RT_FIRMWARE_INFO"));
    // The stored command names its template, as the set request did.
    EXPECT_TRUE(item(3).commandToSend.contains(QStringLiteral("<Template ID=\"3\"")));

    for (const QString& id :
         {QStringLiteral("9"), QStringLiteral("abc"), QStringLiteral("-1"), QString()}) {
        const auto unknown = set(id, named(QStringLiteral("new")));
        EXPECT_EQ(unknown->result(), ReportResult::InvalidTemplateId) << id.toStdString();
        EXPECT_EQ(unknown->details(), QStringLiteral("Invalid Template ID."));
    }
    EXPECT_EQ(list()->entries.size(), 5);
}

TEST_F(TemplateCommandsTest, ScheduleBecomesTheItemsTiming) {
    const QDateTime start = QDateTime::currentDateTime().addDays(2);
    const quint32 once = added(scheduled(QStringLiteral("once"), QStringLiteral("Once"),
                                         QStringLiteral("I_DAY"), 3, start));
    const ScheduleItem onceItem = item(qint32(once));
    EXPECT_EQ(onceItem.intervalType, OccurOnce);
    EXPECT_EQ(secondsOf(onceItem.startTime), secondsOf(start));
    EXPECT_EQ(secondsOf(onceItem.stopTime), secondsOf(start));
    EXPECT_TRUE(onceItem.permanent);
    EXPECT_EQ(onceItem.tag, QStringLiteral("Autosend"));
    const TemplateSchedule onceRead = get(QString::number(once))->record.schedule;
    EXPECT_FALSE(onceRead.absent);
    EXPECT_EQ(onceRead.type, QStringLiteral("Once"));
    EXPECT_TRUE(onceRead.interval.isEmpty());

    const quint32 weekly = added(scheduled(QStringLiteral("weekly"), QStringLiteral("Periodic"),
                                           QStringLiteral("I_WEEK"), 2, start));
    const ScheduleItem weeklyItem = item(qint32(weekly));
    EXPECT_EQ(weeklyItem.intervalType, OccurWeekly);
    EXPECT_EQ(weeklyItem.intervalValue, 2);
    EXPECT_FALSE(weeklyItem.stopTime.has_value());
    const TemplateSchedule weeklyRead = get(QString::number(weekly))->record.schedule;
    EXPECT_EQ(weeklyRead.type, QStringLiteral("Periodic"));
    EXPECT_EQ(weeklyRead.interval, QStringLiteral("I_WEEK"));
    EXPECT_EQ(weeklyRead.frequency, 2u);

    const quint32 plain = added(named(QStringLiteral("on request")));
    const ScheduleItem plainItem = item(qint32(plain));
    EXPECT_EQ(plainItem.intervalType, OccurOnce);
    EXPECT_TRUE(plainItem.tag.isEmpty());
    EXPECT_NEAR(double(secondsOf(plainItem.startTime)),
                double(secondsOf(QDateTime::currentDateTime().addYears(-1))), 60.0);
    EXPECT_TRUE(get(QString::number(plain))->record.schedule.absent);
}

TEST_F(TemplateCommandsTest, AScheduleThatWouldRunAtAnotherTimeIsRefused) {
    const QString periodic = QStringLiteral("<Type>Periodic</Type>");
    const auto request = [](auto& packet, const QString& schedule, const QString& id) {
        packet.parse(bodyText::toBody(
            QStringLiteral("<VXNRequest command=\"%1\">%2<Name>Daily</Name><Report>"
                           "<ReportType>RT_DEVICE_LIST</ReportType><Selection/></Report>"
                           "<Schedule>%3</Schedule></VXNRequest>")
                .arg(packet.command(), id, schedule)));
    };
    const QString refused[] = {
        QStringLiteral("<StartTime>tomorrow 08:00</StartTime><Interval>I_DAY</Interval>") +
            periodic,
        QStringLiteral("<StartTime>-1</StartTime><Interval>I_DAY</Interval>") + periodic,
        QStringLiteral("<StartTime>1796630400</StartTime><Frequency>two</Frequency>"
                       "<Interval>I_DAY</Interval>") +
            periodic,
        // Past the scheduler's interval count it would come back as another count.
        QStringLiteral("<StartTime>1796630400</StartTime><Frequency>4294967296</Frequency>"
                       "<Interval>I_WEEK</Interval>") +
            periodic,
        QStringLiteral("<StartTime>1796630400</StartTime><Frequency>2147483648</Frequency>"
                       "<Interval>I_WEEK</Interval>") +
            periodic,
        QStringLiteral("<StartTime>1796630400</StartTime><Interval>daily</Interval>") + periodic,
        QStringLiteral("<StartTime>1796630400</StartTime><Interval>i_day</Interval>"),
    };
    for (const QString& schedule : refused) {
        CCmdRGAddReportTemplateRequest add;
        request(add, schedule, QString());
        const auto answer = commands.addTemplate(add);
        EXPECT_EQ(answer->result(), ResultCode::WrongRequestFormat) << schedule.toStdString();
        EXPECT_TRUE(answer->details().startsWith(QStringLiteral("Wrong request format: Schedule ")))
            << answer->details().toStdString();
    }
    EXPECT_TRUE(list()->entries.isEmpty());

    // Blank values keep their defaults; a single run has no use for an interval.
    CCmdRGAddReportTemplateRequest plain;
    request(plain, QStringLiteral("<StartTime></StartTime><Interval>I_DAY</Interval>") + periodic,
            QString());
    ASSERT_EQ(commands.addTemplate(plain)->result(), 0);
    CCmdRGAddReportTemplateRequest once;
    once.parse(bodyText::toBody(
        QStringLiteral("<VXNRequest command=\"RGPAddReportTemplate\"><Name>Once</Name><Report>"
                       "<ReportType>RT_DEVICE_LIST</ReportType><Selection/></Report><Schedule>"
                       "<StartTime>1796630400</StartTime><Interval>-</Interval><Type>Once</Type>"
                       "</Schedule></VXNRequest>")));
    ASSERT_EQ(commands.addTemplate(once)->result(), 0);

    CCmdRGSetReportTemplateRequest set;
    request(set, refused[0], QStringLiteral("<Template ID=\"0\"/>"));
    EXPECT_EQ(commands.setTemplate(set)->result(), ResultCode::WrongRequestFormat);
    const TemplateSchedule kept = get(QStringLiteral("0"))->record.schedule;
    EXPECT_EQ(kept.interval, QStringLiteral("I_DAY"));
    EXPECT_NEAR(double(secondsOf(kept.startTime)),
                double(secondsOf(QDateTime::currentDateTime().addYears(-1))), 60.0);
}

TEST_F(TemplateCommandsTest, GetAndDeleteNameOneTemplate) {
    const auto unknown = get(QStringLiteral("4"));
    EXPECT_EQ(unknown->result(), SchedulerResult::InvalidIds);
    EXPECT_EQ(unknown->details(), QStringLiteral("Invalid ID(s)"));
    ReportTemplate record = named(QStringLiteral("mailed"));
    record.email.absent = false;
    record.email.recipients = {QStringLiteral("ops@example.org")};
    record.email.fileFormats = {QStringLiteral("CSV")};
    added(record);
    const auto read = get(QStringLiteral("0"));
    ASSERT_EQ(read->result(), 0);
    record.id = 0;
    record.schedule.type = QStringLiteral("Once");
    EXPECT_EQ(read->record.name, record.name);
    EXPECT_EQ(read->record.email, record.email);
    EXPECT_EQ(read->record.report, record.report);

    // An id that is no number selects nothing rather than template 0.
    EXPECT_EQ(get(QStringLiteral("zero"))->result(), ReportResult::InvalidTemplateId);
    EXPECT_EQ(remove(QStringLiteral("zero"))->result(), ReportResult::InvalidTemplateId);
    EXPECT_EQ(remove(QStringLiteral("7"))->result(), 0);
    EXPECT_EQ(list()->entries.size(), 1);
    EXPECT_EQ(remove(QStringLiteral("0"))->result(), 0);
    EXPECT_EQ(get(QStringLiteral("0"))->result(), SchedulerResult::InvalidIds);
    EXPECT_TRUE(list()->entries.isEmpty());
}

TEST_F(TemplateCommandsTest, ListShowsNextRunsAndSurvivesForeignItems) {
    const QDateTime start = QDateTime::currentDateTime().addSecs(3600);
    added(scheduled(QStringLiteral("hourly"), QStringLiteral("Periodic"), QStringLiteral("I_HOUR"),
                    1, start));
    added(named(QStringLiteral("plain")));
    // An item of "RG" that is no template.
    CmdSchRegisterRequest foreign;
    foreign.serviceName = QStringLiteral("RG");
    foreign.item.startTime = start;
    foreign.item.commandToSend = QStringLiteral("<VXNRequest command=\"X\"><Name>");
    foreign.item.tag = QStringLiteral("Autosend");
    ASSERT_EQ(scheduler->registerItem(foreign)->scheduleId, 2);

    // The scheduler's worker plans the next runs after each change.
    QList<TemplateListEntry> entries;
    const QDeadlineTimer deadline(5000);
    do {
        const auto answer = list();
        ASSERT_EQ(answer->result(), 0);
        entries = answer->entries;
        if (entries.size() == 3 && entries[0].hasNext && entries[2].hasNext)
            break;
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].name, QStringLiteral("hourly"));
    EXPECT_TRUE(entries[0].hasNext);
    EXPECT_EQ(secondsOf(entries[0].next), secondsOf(start));
    EXPECT_EQ(entries[0].schedule.interval, QStringLiteral("I_HOUR"));
    EXPECT_EQ(entries[0].reportType, QStringLiteral("RT_DEVICE_LIST"));
    EXPECT_EQ(entries[1].id, 1u);
    EXPECT_FALSE(entries[1].hasNext);
    EXPECT_TRUE(entries[1].schedule.absent);
    EXPECT_EQ(entries[2].id, 2u);
    EXPECT_TRUE(entries[2].name.isEmpty());
    EXPECT_TRUE(entries[2].reportType.isEmpty());

    // Its empty name conflicts with nothing.
    EXPECT_EQ(added(named(QString())), 3u);
}

TEST_F(TemplateCommandsTest, SchedulerFailuresAreNotReportedAsSuccess) {
    added(named(QStringLiteral("kept")));
    database.fail(QStringLiteral("DBSProcessQuery"), ResultCode::ConnectionFailed,
                  QStringLiteral("database down"));
    const auto notStored = add(named(QStringLiteral("lost")));
    EXPECT_EQ(notStored->result(), SchedulerResult::NotStored);
    EXPECT_TRUE(notStored->details().contains(QStringLiteral("database down")))
        << notStored->details().toStdString();
    EXPECT_EQ(set(QStringLiteral("0"), named(QStringLiteral("renamed")))->result(),
              SchedulerResult::NotStored);
    EXPECT_EQ(remove(QStringLiteral("0"))->result(), SchedulerResult::NotStored);
    database.unfail(QStringLiteral("DBSProcessQuery"));
    EXPECT_EQ(list()->entries.size(), 1);
    EXPECT_EQ(get(QStringLiteral("0"))->record.name, QStringLiteral("kept"));

    // Without the scheduler the name cannot be checked and the list is not empty but unknown.
    peers.fail(QStringLiteral("SchGetEventsInfo"), ResultCode::ConnectionFailed,
               QStringLiteral("Connection to service failed"));
    EXPECT_EQ(list()->result(), ResultCode::ConnectionFailed);
    EXPECT_EQ(add(named(QStringLiteral("new")))->result(), ResultCode::ConnectionFailed);
    EXPECT_EQ(peers.recorder().count(QStringLiteral("SchRegister")), 3);
}

TEST_F(TemplateCommandsTest, ConcurrentAddsOfOneNameStoreItOnce) {
    // Every name check waits for the others (or 300 ms): without serialisation all adds would
    // pass their checks before any of them registers.
    constexpr int callers = 4;
    Gathering gathering(callers, 300ms);
    peers.answer(QStringLiteral("SchGetEventsInfo"), [&](const QByteArray& body) {
        gathering.arrive();
        return scheduler->dispatch(QStringLiteral("SchGetEventsInfo"), body);
    });
    std::vector<std::future<int>> results;
    for (int i = 0; i < callers; ++i)
        results.push_back(std::async(std::launch::async, [this, i] {
            return add(named(i % 2 ? QStringLiteral("Daily") : QStringLiteral("DAILY")))->result();
        }));
    // A different name is not held up by them.
    auto other = std::async(std::launch::async,
                            [this] { return add(named(QStringLiteral("other")))->result(); });
    int stored = 0;
    for (auto& result : results) {
        const int code = result.get();
        EXPECT_TRUE(code == 0 || code == TemplateResult::NameExists) << code;
        stored += code == 0;
    }
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(other.get(), 0);
    EXPECT_EQ(list()->entries.size(), 2);
}

} // namespace
