#include "VELMPluginReportGenerator/queries/PeriodGrid.h"
#include "VELMPluginReportGenerator/queries/PeriodScripts.h"
#include "VELMPluginReportGenerator/queries/PeriodTables.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

namespace {

// How far the scripts read beyond the range: a month of history before the start finds the
// value each device's counter had when the range began, a day after the end closes the last
// period, and the limit windows find the samples just outside the range.
constexpr qint64 historyBefore = 2764800;
constexpr qint64 historyAfter = 86400;
constexpr qint64 limitWindow = 100000;

constexpr const char* workTables =
    "CREATE TEMP TABLE temp_%1_ (ValueID Integer primary key, R_DEviceID integer, Value integer, "
    "dt integer, dt2 integer);\n"
    "CREATE TEMP TABLE temp2__%1_ (ValueID Integer primary key, R_DEviceID integer, Value "
    "integer, dt integer, dt2 integer);\n"
    "CREATE TEMP TABLE temp2_limits_%1_ (ValueID Integer primary key, R_DEviceID integer, Value "
    "integer, dt integer, dt2 integer);\n"
    "CREATE TEMP TABLE ValIDs_%1_ (ValID INTEGER PRIMARY KEY, TimeValue INTEGER, dt2 INTEGER);\n"
    "CREATE TEMP TABLE ValIDs_limits_%1_ (ValID INTEGER PRIMARY KEY, TimeValue INTEGER, dt2 "
    "INTEGER);\n"
    "CREATE TEMP TABLE limits_%1_ (R_DeviceID INTEGER, startlimit INTEGER, endlimit INTEGER, "
    "dt2_1 INTEGER, dt2_2 INTEGER);\n"
    "CREATE TEMP TABLE limits2_%1_ (R_DeviceID INTEGER, startlimit INTEGER, endlimit INTEGER, "
    "dt2_1 INTEGER, dt2_2 INTEGER);\n"
    "CREATE TEMP TABLE Res_%1_ (DevID INTEGER, Value INTEGER, dt2 INTEGER);\n";

// Between two counters every work table starts empty again.
constexpr const char* emptyWorkTables =
    "DELETE FROM temp_%1_;\nDELETE FROM temp2__%1_;\nDELETE FROM temp2_limits_%1_;\n"
    "DELETE FROM Res_%1_;\nDELETE FROM ValIDs_%1_;\nDELETE FROM limits_%1_;\n"
    "DELETE FROM limits2_%1_;\nDELETE FROM ValIDs_limits_%1_;\n";

// The value-row ids of the counter's samples in the window `_%60_`, with the sample's local
// year and period. `_%45_` joins the further column conditions of the counter.
constexpr const char* sampleValues =
    "INSERT INTO _%61_ SELECT t10.ValueID, strftime('%Y', datetime(t8.TimeValue, 'unixepoch', "
    "'localtime')), _%3_ \n"
    "FROM devIDs_%1_ d \n"
    "JOIN DevicePropertyHistory t8 ON t8.R_DeviceID = d.R_DevID AND t8.R_PropertyID = _%4_ AND "
    "t8.R_ColumnID = 2 \n  AND _%60_ AND t8.Value _%42_ \n"
    "_%45_"
    "JOIN DevicePropertyHistory t10 ON t10.R_DeviceID = t8.R_DeviceID AND t10.R_PropertyID = "
    "t8.R_PropertyID AND t10.R_ColumnID = 7 AND t10.RowIndex = t8.RowIndex AND t10.TimeValue = "
    "t8.TimeValue;\n";

// A counter's value at a sample is the sum over all its matching rows of the counter table.
constexpr const char* valuePerSample =
    "INSERT INTO _%62_ SELECT ValueID, R_DeviceID, sum(Value) as Value, t8.TimeValue, dt2 from "
    "_%61_ t8 JOIN DevicePropertyHistory t1 ON ValueID = ValID GROUP BY R_DeviceID, "
    "t1.TimeValue;\n";

// A device whose history begins inside the window counts from its first value: that sample is
// repeated as the previous period, so its own period has something to be compared with.
constexpr const char* highestPerPeriod =
    "/*To Add minimum value before the start date*/\n"
    "INSERT INTO temp2__%1_ SELECT -min(ValueID), R_DeviceID, Value, dt, dt2 - 1 FROM "
    "temp2__%1_ GROUP BY R_DeviceID;\n"
    "INSERT INTO temp_%1_ SELECT NULL, R_DeviceID, max(Value) as maxx, dt, dt2 FROM temp2__%1_ "
    "GROUP BY r_DeviceID, dt2 ORDER BY r_DeviceID, dt2;\n";

constexpr const char* startLimit =
    "INSERT INTO limits_%1_ SELECT R_DeviceID, Max(Value), 0, dt2, 0 FROM temp2_limits_%1_ "
    "GROUP BY R_DeviceID;\n"
    "DELETE FROM temp2_limits_%1_;\nDELETE FROM ValIDs_limits_%1_;\n";

constexpr const char* endLimit =
    "INSERT INTO limits_%1_ SELECT R_DeviceID, 0, Min(Value), 0, dt2 FROM temp2_limits_%1_ "
    "GROUP BY R_DeviceID;\n"
    "DELETE FROM temp2_limits_%1_;\nDELETE FROM ValIDs_limits_%1_;\n";

// Consecutive ValueIDs of a device are consecutive periods with data; each period's usage is
// its highest value minus that of the period before, or the value just outside the range when
// the range begins or ends inside the period. A counter reset shows as a negative usage.
constexpr const char* differences =
    "INSERT INTO limits2_%1_ SELECT R_DeviceID, sum(startlimit), sum(endlimit), sum(dt2_1), "
    "sum(dt2_2) FROM limits_%1_ GROUP BY R_DEviceID;\n"
    "INSERT INTO Res_%1_ SELECT t1.R_DeviceID AS DevID, ifnull(t3.endlimit, t2.Value) - "
    "ifnull(t4.startlimit, t1.Value) AS Value, t2.dt2 AS dt2 \n"
    "FROM temp_%1_ AS t1, temp_%1_ AS t2, MinMaxDate_%1_ \n"
    "LEFT JOIN limits2_%1_ t3 ON t3.R_DeviceID = t1.R_DeviceID AND t3.dt2_2 = t2.dt2 \n"
    "LEFT JOIN limits2_%1_ t4 ON t4.R_DeviceID = t1.R_DeviceID AND t4.dt2_1 = t2.dt2 \n"
    "WHERE t1.ValueID = (t2.ValueID - 1) AND t1.R_DeviceID = t2.R_DeviceID AND t2.dt2 between "
    "MinDate and MaxDate;\n";

constexpr const char* conditionJoin =
    "JOIN DevicePropertyHistory t9 ON \n"
    "  t9.R_DeviceID = t8.R_DeviceID AND t9.R_PropertyID = t8.R_PropertyID AND t9.R_ColumnID = "
    "_%43_ AND t9.RowIndex = t8.RowIndex AND t9.TimeValue = t8.TimeValue AND t9.Value _%44_ \n"
    "_%46_ \n";

constexpr const char* modeJoins =
    "JOIN DevicePropertyHistory t91 ON \n"
    "  t91.R_DeviceID = t8.R_DeviceID AND t91.R_PropertyID = t8.R_PropertyID AND t91.R_ColumnID "
    "= _%47_ AND t91.RowIndex = t8.RowIndex AND t91.TimeValue = t8.TimeValue AND t91.Value _%48_ "
    "\n"
    "JOIN DevicePropertyHistory t92 ON \n"
    "  t92.R_DeviceID = t8.R_DeviceID AND t92.R_PropertyID = t8.R_PropertyID AND t92.R_ColumnID "
    "= _%49_ AND t92.RowIndex = t8.RowIndex AND t92.TimeValue = t8.TimeValue AND t92.Value _%50_ "
    "\n";

constexpr const char* perPeriodFinal =
    "CREATE TEMP TABLE FINAL_Res_%1_ AS\nSELECT t1.RDevID as DeviceID, _%9_, _%10_ AS Total, "
    "t1.datenumm AS Period \nFROM \n  _%11_ \n  _%12_ \n_%24_ORDER BY t1.RdevID, t1.datenumm; "
    "\n\nSELECT DeviceID, _%35_, Total, \n _%13_ AS Period\nFROM FINAL_Res_%1_, "
    "minmaxdate_%1_\nORDER BY DeviceID, Period;\n\n";

// Devices without a current model name, IP address or serial number are left out.
constexpr const char* summaryFinal =
    "CREATE TEMP TABLE FINAL_Res_%1_ AS\nSELECT t1.RDevID as DeviceID, v8.Value AS ModelName, "
    "v4.Value AS IP, v10.Value AS Serial, _%9_, _%10_ AS Total \nFROM \n  _%11_ \n"
    "  JOIN DevicePropertyValues v8 ON v8.R_DeviceID = t1.RDevID AND v8.R_PropertyID = 8 \n"
    "  JOIN DevicePropertyValues v4 ON v4.R_DeviceID = t1.RDevID AND v4.R_PropertyID = 4 \n"
    "  JOIN DevicePropertyValues v10 ON v10.R_DeviceID = t1.RDevID AND v10.R_PropertyID = 10 \n"
    "  _%12_ \nGROUP BY t1.RDevID \nORDER BY t1.RDevID; \n\n"
    "SELECT DeviceID, ModelName, IP, Serial, _%35_, Total \nFROM FINAL_Res_%1_, "
    "minmaxdate_%1_\nORDER BY DeviceID;\n\n";

constexpr const char* workDrops =
    "DROP TABLE temp_%1_;\nDROP TABLE temp2__%1_;\nDROP TABLE devIDs_%1_;\nDROP TABLE Res_%1_;\n"
    "DROP TABLE ValIDs_%1_;\nDROP TABLE limits_%1_;\nDROP TABLE limits2_%1_;\n"
    "DROP TABLE temp2_limits_%1_;\nDROP TABLE ValIDs_limits_%1_;\nDROP TABLE FINAL_Res_%1_;\n";

QString text(const char* sql) {
    return QString::fromLatin1(sql);
}

// Samples of one counter in the window `window`, summed per device and sample time into
// `perSample`.
QString samplesSql(const QString& ids, const QString& perSample, const QString& window) {
    SqlTemplate sql{text(sampleValues) + text(valuePerSample)};
    return sql.set(61, ids).set(62, perSample).set(60, window).text();
}

// Print and colour mode of a total-pages counter follow from its position: simplex mono,
// simplex colour, duplex mono, duplex colour, then again for the next media size.
QString totalPagesModeJoins(int ordinal) {
    const int mode = (ordinal - 1) % 4;
    SqlTemplate joins{text(modeJoins)};
    joins.set(47, counterColumn::printMode)
        .set(48, mode < 2 ? QStringLiteral("= 'simplex'") : QStringLiteral("= 'duplex'"))
        .set(49, counterColumn::colourMode)
        .set(50, mode % 2 == 0 ? QStringLiteral("= 'monoColor'") : QStringLiteral("= 'fullColor'"));
    return joins.text();
}

QString counterBlock(const CounterSpec& counter, int ordinal, bool totalPages) {
    QString sql = ordinal > 1 ? text(emptyWorkTables) : QString();
    sql += samplesSql(QStringLiteral("ValIDs_%1_"), QStringLiteral("temp2__%1_"),
                      QStringLiteral("t8.TimeValue >= _%15_ AND t8.TimeValue <= _%5_"));
    sql += text(highestPerPeriod);
    sql += samplesSql(QStringLiteral("ValIDs_limits_%1_"), QStringLiteral("temp2_limits_%1_"),
                      QStringLiteral("t8.TimeValue >= _%33_ AND t8.TimeValue < _%17_"));
    sql += text(startLimit);
    sql += samplesSql(QStringLiteral("ValIDs_limits_%1_"), QStringLiteral("temp2_limits_%1_"),
                      QStringLiteral("t8.TimeValue > _%18_ and t8.TimeValue <= _%34_"));
    sql += text(endLimit);
    sql += text(differences);
    sql += periodGrid::gridSql(ordinal);

    SqlTemplate block{std::move(sql)};
    const bool hasColumn = counter.column != counterColumn::none;
    block.set(45, hasColumn ? text(conditionJoin) : QString())
        .set(43, counter.column)
        .set(44, counter.valueCondition)
        .set(46, totalPages ? totalPagesModeJoins(ordinal) : QString())
        .set(42, counter.jobTypeCondition)
        .set(4, counter.key);
    return block.text();
}

} // namespace

QString composeUsageSql(const ReportQueryParams& params) {
    if (params.period < periodSql::Hour || params.period > periodSql::Month)
        return {};
    const bool summary = params.groupBy.has_value();
    const bool totalPages = params.reportType == reportRegistry::RT_USAGE_TOTAL_PAGES;

    QString sql = text(workTables) + text(createDeviceIdsSql) + periodGrid::rangeSql(params);
    for (qsizetype i = 0; i < params.counters.size(); ++i)
        sql += counterBlock(params.counters[i], static_cast<int>(i + 1), totalPages);
    sql += text(summary ? summaryFinal : perPeriodFinal);
    sql += periodGrid::dropRangeSql() + text(workDrops);

    const auto columns = periodGrid::counterColumns(params.counters, summary || params.chart,
                                                    summary || params.chart);
    sql += columns.drops;

    SqlTemplate script{std::move(sql)};
    script.set(9, columns.fields)
        .set(10, columns.terms)
        .set(11, columns.tables)
        .set(12, columns.joins)
        .set(35, columns.aliases)
        .set(24, params.chart && !summary ? QStringLiteral("GROUP BY Period\n") : QString())
        .set(13, periodSql::periodLabel(params.period))
        .set(3, periodSql::samplePeriod(params.period, QStringLiteral("t8.TimeValue")))
        .set(5, params.end + historyAfter)
        .set(15, params.start - historyBefore)
        .set(17, params.start)
        .set(18, params.end)
        .set(33, params.start - limitWindow)
        .set(34, params.end + limitWindow);
    return finishReportScript(std::move(script), params);
}
