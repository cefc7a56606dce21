// Colour/mono usage and the alert trend of a generated fleet (resets, the autumn clock change,
// the turn of the year and ISO week 53 of 2026), against pages and alerts counted here from the
// stored samples with Qt's own calendar, not with the report scripts.
#include "PeerDatabase.h"
#include "QtPrinters.h"

#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VXNServiceFramework/time/LocalTime.h"

#include <QDateTime>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <tuple>

using namespace reportRegistry;

namespace {

enum Interval { Hour = 0, Day = 1, Week = 2, Month = 3 };

constexpr qint64 fleetEnd = 1799798400; // 2027-01-13 00:00 UTC
constexpr int fleetDays = 90;
constexpr int fleetDevices = 4;

qint64 at(int y, int m, int d, int h = 0, int min = 0) {
    return localAt(QDate(y, m, d), QTime(h, min)).toSecsSinceEpoch();
}

int periodOf(qint64 t, int interval) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(t);
    const QDate date = local.date();
    switch (interval) {
    case Hour:
        return date.year() * 10000 + (date.dayOfYear() - 1) * 24 + local.time().hour();
    case Day:
        return date.year() * 10000 + date.dayOfYear() - 1;
    case Week: {
        int year = 0;
        const int week = date.weekNumber(&year);
        return year * 10000 + week;
    }
    default:
        return date.year() * 10000 + date.month();
    }
}

// The range's first period is named by the start itself, every other by its first instant.
QString labelOf(int period, int interval, qint64 start) {
    const QDateTime first = QDateTime::fromSecsSinceEpoch(start);
    const int year = period / 10000;
    const int offset = period % 10000;
    const bool isFirst = period == periodOf(start, interval);
    switch (interval) {
    case Hour:
        return isFirst ? first.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                       : QDate(year, 1, 1).addDays(offset / 24).toString(Qt::ISODate) +
                             QStringLiteral(" %1:00:00").arg(offset % 24, 2, 10, QLatin1Char('0'));
    case Day:
        return (isFirst ? first.date() : QDate(year, 1, 1).addDays(offset)).toString(Qt::ISODate);
    case Week: {
        // 4 January always lies in week 1.
        const QDate jan4(year, 1, 4);
        const QDate monday = jan4.addDays(1 - jan4.dayOfWeek() + 7 * (offset - 1));
        return (isFirst ? first.date() : monday).toString(Qt::ISODate);
    }
    default:
        return isFirst ? first.toString(QStringLiteral("yyyy-MM"))
                       : QDate(year, offset, 1).toString(QStringLiteral("yyyy-MM"));
    }
}

// Every period with an instant in the range; the day period ends one second early so that an
// end at midnight closes the day before.
std::vector<int> periodsOf(qint64 start, qint64 end, int interval) {
    const qint64 last = interval == Day ? end - 1 : end;
    std::set<int> found{periodOf(last, interval)};
    for (qint64 t = start; t <= last; t += 600)
        found.insert(periodOf(t, interval));
    return {found.begin(), found.end()};
}

struct Sample {
    qint64 time;
    qint64 value;
};
using Samples = std::map<int, std::vector<Sample>>; // by device, in time order

// Each period's usage: its highest value, or the first value after the end when that falls
// into it, minus the highest value of the period with data before it (the device's first sample
// stands for its own predecessor), or the last value before the start when that falls into it.
std::map<int, qint64> usageOf(const std::vector<Sample>& all, qint64 start, qint64 end,
                              int interval) {
    std::map<int, qint64> highest;
    std::optional<Sample> first, before, after;
    for (const auto& s : all) {
        if (s.time < start - 2764800 || s.time > end + 86400)
            continue;
        if (!first)
            first = s;
        const int p = periodOf(s.time, interval);
        highest[p] = highest.count(p) ? std::max(highest[p], s.value) : s.value;
        if (s.time >= start - 100000 && s.time < start && (!before || s.value > before->value))
            before = s;
        if (s.time > end && s.time <= end + 100000 && (!after || s.value < after->value))
            after = s;
    }
    std::map<int, qint64> usage;
    if (!first)
        return usage;
    highest.emplace(periodOf(first->time, interval) - 1, first->value);
    const int lo = periodOf(start, interval);
    const int hi = periodOf(interval == Day ? end - 1 : end, interval);
    for (auto it = std::next(highest.begin()); it != highest.end(); ++it) {
        const int p = it->first;
        if (p < lo || p > hi)
            continue;
        const qint64 to = after && periodOf(after->time, interval) == p ? after->value : it->second;
        const qint64 from =
            before && periodOf(before->time, interval) == p ? before->value : std::prev(it)->second;
        usage[p] = to - from;
    }
    return usage;
}

QString cell(const std::map<int, qint64>& values, int period) {
    const auto it = values.find(period);
    return it == values.end() ? QString() : QString::number(it->second);
}

qint64 valueOf(const std::map<int, qint64>& values, int period) {
    const auto it = values.find(period);
    return it == values.end() ? 0 : it->second;
}

class FleetUsageOracle : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_db = std::make_unique<PeerDatabase>(fleetDevices, fleetDays, fleetEnd);
    }
    static void TearDownTestSuite() { s_db.reset(); }
    void SetUp() override { ASSERT_TRUE(s_db->started()) << s_db->output().toStdString(); }

    // Printed, copied and received pages of one colour mode per device and sample time.
    static Samples samples(const QString& colour) {
        const auto answer = s_db->send(
            {QStringLiteral(
                 "SELECT v.R_DeviceID AS device, v.TimeValue AS time, sum(v.Value) AS pages "
                 "FROM DevicePropertyHistory j "
                 "JOIN DevicePropertyHistory c ON c.R_DeviceID = j.R_DeviceID AND c.R_PropertyID = "
                 "47 "
                 "AND c.R_ColumnID = 6 AND c.RowIndex = j.RowIndex AND c.TimeValue = j.TimeValue "
                 "JOIN DevicePropertyHistory v ON v.R_DeviceID = j.R_DeviceID AND v.R_PropertyID = "
                 "47 "
                 "AND v.R_ColumnID = 7 AND v.RowIndex = j.RowIndex AND v.TimeValue = j.TimeValue "
                 "WHERE j.R_PropertyID = 47 AND j.R_ColumnID = 2 AND j.Value IN "
                 "('print', 'copy', 'faxIn') AND c.Value = '%1' "
                 "GROUP BY v.R_DeviceID, v.TimeValue ORDER BY v.R_DeviceID, v.TimeValue")
                 .arg(colour)});
        Samples out;
        if (answer->result() != 0 || answer->resultSets().isEmpty())
            return out;
        for (const auto& row : answer->resultSets().front().rows) {
            out[row.value(u"device").toInt()].push_back(
                {row.value(u"time").toLongLong(), row.value(u"pages").toLongLong()});
        }
        return out;
    }

    static QStringList expectedUsage(qint64 start, qint64 end, int interval) {
        static const Samples colour = samples(QStringLiteral("fullColor"));
        static const Samples mono = samples(QStringLiteral("monoColor"));
        QStringList rows;
        for (int device = 1; device <= fleetDevices; ++device) {
            const auto c = usageOf(colour.count(device) ? colour.at(device) : std::vector<Sample>{},
                                   start, end, interval);
            const auto m = usageOf(mono.count(device) ? mono.at(device) : std::vector<Sample>{},
                                   start, end, interval);
            for (int p : periodsOf(start, end, interval)) {
                rows << QStringLiteral("DeviceID=%1|Color_Counter=%2|Mono_Counter=%3|Total=%4|"
                                       "Period=%5")
                            .arg(device)
                            .arg(cell(c, p), cell(m, p))
                            .arg(valueOf(c, p) + valueOf(m, p))
                            .arg(labelOf(p, interval, start));
            }
        }
        return rows;
    }

    static QStringList reported(int type, qint64 start, qint64 end, int interval,
                                const QStringList& columns) {
        ReportQueryParams params = periodReport(5, type, interval, start, end);
        return PeerDatabase::texts(s_db->reportRows(composeReportSql(params)), columns);
    }

    static inline std::unique_ptr<PeerDatabase> s_db;
};

const QStringList usageColumns{"DeviceID", "Color_Counter", "Mono_Counter", "Total", "Period"};

} // namespace

TEST_F(FleetUsageOracle, UsageMatchesThePagesCountedFromTheSamples) {
    const struct {
        const char* what;
        qint64 start, end;
        std::vector<int> intervals;
    } ranges[] = {
        {"clock change, mid-day edges",
         at(2026, 10, 24, 10, 30),
         at(2026, 10, 26, 15, 0),
         {Hour, Day}},
        {"turn of the year", at(2026, 12, 21), at(2027, 1, 10, 23, 59), {Day, Week, Month}},
        {"three months", at(2026, 10, 14, 12), at(2027, 1, 12), {Week, Month}},
    };
    for (const auto& r : ranges) {
        for (int interval : r.intervals) {
            SCOPED_TRACE(std::string(r.what) + ", interval " + std::to_string(interval));
            const QStringList expected = expectedUsage(r.start, r.end, interval);
            ASSERT_FALSE(expected.filter(QRegularExpression("Total=[1-9]")).isEmpty());
            EXPECT_EQ(reported(RT_USAGE_COLOR_MONO, r.start, r.end, interval, usageColumns),
                      expected);
        }
    }
}

TEST_F(FleetUsageOracle, AlertTrendCountsEachAlertOnce) {
    // Alerts by device, code and own time; a sample stores again what is still active.
    const auto answer = s_db->send({QStringLiteral(
        "SELECT a.R_DeviceID AS device, g.AlertTrendGroup AS kind, a.Value AS code, "
        "t.Value AS time, a.TimeValue AS sample FROM DevicePropertyHistory a "
        "JOIN AlertTrendGroup g ON g.AlertValue = a.Value "
        "JOIN DevicePropertyHistory t ON t.R_DeviceID = a.R_DeviceID AND t.R_PropertyID = 30 AND "
        "t.R_ColumnID = 6 AND t.RowIndex = a.RowIndex AND t.TimeValue = a.TimeValue "
        "WHERE a.R_PropertyID = 30 AND a.R_ColumnID = 1 AND g.AlertTrendGroup < 3")});
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    const qint64 start = at(2026, 10, 14);
    const qint64 end = at(2027, 1, 12, 23, 59);
    using Alert = std::tuple<int, int, QString, qint64>; // device, kind, code, own time
    std::map<Alert, std::map<qint64, int>> stored;       // how often each sample holds it
    qsizetype storedRows = 0;
    for (const auto& row : answer->resultSets().front().rows) {
        const qint64 time = row.value(u"time").toLongLong();
        if (time >= start && time <= end) {
            ++stored[{row.value(u"device").toInt(), row.value(u"kind").toInt(), row.value(u"code"),
                      time}][row.value(u"sample").toLongLong()];
            ++storedRows;
        }
    }
    std::map<std::tuple<int, int, int>, int> counts; // device, month, kind
    qsizetype alerts = 0;
    for (const auto& [alert, samples] : stored) {
        int most = 0;
        for (const auto& [sample, n] : samples)
            most = std::max(most, n);
        counts[{std::get<0>(alert), periodOf(std::get<3>(alert), Month), std::get<1>(alert)}] +=
            most;
        alerts += most;
    }
    ASSERT_LT(alerts, storedRows) << "the fleet should store some alert more than once";

    QStringList expected;
    for (int device = 1; device <= fleetDevices; ++device) {
        for (int p : periodsOf(start, end, Month)) {
            QStringList kinds;
            for (int kind = 0; kind < 3; ++kind) {
                const auto it = counts.find({device, p, kind});
                kinds << (it == counts.end() ? QString() : QString::number(it->second));
            }
            expected << QStringLiteral("DeviceID=%1|Jam=%2|SupplyAlert=%3|DeviceAlert=%4|Period=%5")
                            .arg(device)
                            .arg(kinds[0], kinds[1], kinds[2], labelOf(p, Month, start));
        }
    }
    EXPECT_EQ(reported(RT_ALERT_TREND, start, end, Month,
                       {"DeviceID", "Jam", "SupplyAlert", "DeviceAlert", "Period"}),
              expected);
}
