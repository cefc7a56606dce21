#include "VELMPluginReportGenerator/queries/PeriodGrid.h"
#include "VELMPluginReportGenerator/queries/PeriodScripts.h"
#include "VELMPluginReportGenerator/queries/PeriodTables.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"

namespace {

// The alert kind counted by its training level instead of its code.
constexpr int serviceAlertKind = 3;
// Group-by keys from here on are not property ids: their Total is not summed over the group.
constexpr int firstNonPropertyKey = 1000;

constexpr const char* workTables =
    "CREATE TEMP TABLE temp_%1_ (ValueID Integer primary key, R_DEviceID integer, Value integer, "
    "dt integer, dt2 integer);\n"
    "CREATE TEMP TABLE Res_%1_ (DevID INTEGER, Value INTEGER, dt2 INTEGER);\n";

constexpr const char* groupNames =
    "CREATE TEMP TABLE devValues__%1_ AS SELECT R_DeviceID, Name AS PropName FROM DeviceInGroup "
    "\n  JOIN devIDs_%1_ ON R_DevID = R_DeviceID \n  JOIN Groups ON GroupID = R_GroupID;\n";

constexpr const char* propertyValues =
    "CREATE TEMP TABLE devValues__%1_ AS SELECT R_DeviceID, Value AS PropName FROM "
    "DevicePropertyValues \n  JOIN devIDs_%1_ ON R_DevID = R_DeviceID WHERE R_PropertyID = _%16_ "
    "\nUNION SELECT R_DeviceID, Value AS PropName FROM DevicePropertyHistory \n  JOIN devIDs_%1_ "
    "ON R_DevID = R_DeviceID WHERE R_PropertyID = _%16_;\n";

// Alerts are counted in the period of their own time (column 6), which may differ from the
// time of the sample that stored them. The alert table is stored again with every sample while
// an alert lasts, so an alert is its device, code and own time, counted as often as one sample
// holds it, however many samples repeat it.
constexpr const char* countsPerPeriod =
    "INSERT INTO temp_%1_ SELECT NULL, R_DeviceID, sum(n), dt, dt2 FROM (\n"
    "SELECT R_DeviceID, max(n) AS n, dt, dt2 FROM (\n"
    "SELECT t1.R_DeviceID, t1.Value AS code, t2.Value AS alertTime, count(*) AS n, "
    "strftime('%Y', datetime(t2.Value, 'unixepoch', 'localtime')) AS dt, _%3_ \n"
    "FROM devIDs_%1_ d \n"
    "JOIN DevicePropertyHistory t1 ON t1.R_DeviceID = d.R_DevID AND t1.R_PropertyID = 30 AND "
    "_%70_ \n"
    "JOIN DevicePropertyHistory t2 ON t2.R_DeviceID = t1.R_DeviceID AND t2.R_PropertyID = "
    "t1.R_PropertyID AND t2.R_ColumnID = 6 AND t2.RowIndex = t1.RowIndex AND t2.TimeValue = "
    "t1.TimeValue \n"
    "WHERE t2.Value + 0 >= _%17_ AND t2.Value + 0<= _%18_ \n"
    "GROUP BY t1.R_DeviceID, code, alertTime, t1.TimeValue) \n"
    "GROUP BY R_DeviceID, code, alertTime) \n"
    "GROUP BY R_DeviceID, dt2;\n";

constexpr const char* alertCodeRows =
    "t1.R_ColumnID = 1 \nJOIN AlertTrendGroup ON AlertValue = t1.Value AND AlertTrendGroup = _%4_";
constexpr const char* fieldServiceRows =
    "t1.R_ColumnID = 4 AND t1.Value = 'fieldService' \nJOIN AlertTrendGroup ON AlertValue = "
    "t1.Value";

constexpr const char* countsIndex = "CREATE INDEX idx_temp_%1_ on temp_%1_ (R_deviceID);\n";

constexpr const char* countsInRange =
    "INSERT INTO Res_%1_ SELECT R_DeviceID AS DevID, Value, dt2 FROM temp_%1_, minMaxDate_%1_ "
    "WHERE dt2 BETWEEN MinDate AND MaxDate;\n";

constexpr const char* emptyWorkTables = "DELETE FROM temp_%1_;\nDELETE FROM Res_%1_;\n";

constexpr const char* summaryFinal =
    "CREATE TEMP TABLE FINAL_Res_%1_ AS\nSELECT PropName, _%9_,  _%10_ AS Total \nFROM \n  _%11_ "
    "\n  JOIN devValues__%1_ t0 ON t1.RDevID = t0.R_DeviceID\n  _%12_ \nGROUP BY 1 \nORDER BY 1; "
    "\n\nSELECT PropName as _%36_, _%35_, Total \nFROM FINAL_Res_%1_\nORDER BY 1;\n\n";

constexpr const char* chartFinal =
    "CREATE TEMP TABLE FINAL_Res_%1_ AS\nSELECT _%9_, _%10_ AS Total, t1.datenumm AS Period "
    "\nFROM \n  _%11_ \n  _%12_ \nGROUP BY Period \nORDER BY Period; \n\n"
    "SELECT _%35_, Total, \n _%13_ AS Period\nFROM FINAL_Res_%1_, minmaxdate_%1_\nORDER BY "
    "Period;\n\n";

constexpr const char* perDeviceFinal =
    "CREATE TEMP TABLE FINAL_Res_%1_ AS\nSELECT t1.RDevID as DeviceID, _%9_, _%10_ AS Total, "
    "t1.datenumm AS Period \nFROM \n  _%11_ \n  _%12_ \nGROUP BY 1, t1.datenumm \nORDER BY 1, "
    "t1.datenumm; \n\nSELECT DeviceID, _%35_, Total, \n _%13_ AS Period\nFROM FINAL_Res_%1_, "
    "minmaxdate_%1_\nORDER BY 1, Period;\n\n";

constexpr const char* workDrops =
    "DROP TABLE temp_%1_;\nDROP TABLE devIDs_%1_;\nDROP TABLE Res_%1_;\nDROP TABLE "
    "FINAL_Res_%1_;\n";

QString text(const char* sql) {
    return QString::fromLatin1(sql);
}

QString kindBlock(const CounterSpec& kind, int ordinal) {
    QString sql = ordinal > 1 ? text(emptyWorkTables) : QString();
    sql += text(countsPerPeriod);
    if (ordinal == 1)
        sql += text(countsIndex);
    sql += text(countsInRange) + periodGrid::gridSql(ordinal);
    SqlTemplate block{std::move(sql)};
    block.set(70, text(kind.key == serviceAlertKind ? fieldServiceRows : alertCodeRows))
        .set(4, kind.key);
    return block.text();
}

const char* finalStatement(const ReportQueryParams& params) {
    if (params.groupBy)
        return summaryFinal;
    return params.chart ? chartFinal : perDeviceFinal;
}

} // namespace

QString composeAlertTrendSql(const ReportQueryParams& params) {
    if (params.period < periodSql::Hour || params.period > periodSql::Month)
        return {};
    const auto& groupBy = params.groupBy;
    // The script is sent split at every ";", which would cut the quoted name apart.
    if (groupBy && groupBy->name.contains(QLatin1Char(';')))
        return {};

    QString sql = text(workTables) + text(createDeviceIdsSql);
    if (groupBy)
        sql += text(groupBy->key == GroupBySpec::deviceGroups ? groupNames : propertyValues);
    sql += periodGrid::rangeSql(params);
    for (qsizetype i = 0; i < params.counters.size(); ++i)
        sql += kindBlock(params.counters[i], static_cast<int>(i + 1));
    sql += text(finalStatement(params));
    sql += periodGrid::dropRangeSql() + text(workDrops);

    const bool summed = params.chart || groupBy.has_value();
    const bool sumTotal = params.chart || (groupBy && groupBy->key < firstNonPropertyKey);
    const auto columns = periodGrid::counterColumns(params.counters, summed, sumTotal);
    sql += columns.drops;
    if (groupBy)
        sql += QStringLiteral("DROP TABLE devValues__%1_;\n");

    SqlTemplate script{std::move(sql)};
    script.set(9, columns.fields)
        .set(10, columns.terms)
        .set(11, columns.tables)
        .set(12, columns.joins)
        .set(13, periodSql::periodLabel(params.period))
        .set(3, periodSql::samplePeriod(params.period, QStringLiteral("t2.Value")))
        .set(16, groupBy ? groupBy->key : 0)
        .set(17, params.start)
        .set(18, params.end)
        .set(35, columns.aliases);
    // The grouping name becomes a column name: quoted as an identifier and filled in last, it
    // can neither bring in SQL nor be changed by another substitution.
    return SqlTemplate{finishReportScript(std::move(script), params)}
        .set(36, groupBy ? quotedSqlText(groupBy->name, QLatin1Char('"')) : QString())
        .text();
}
