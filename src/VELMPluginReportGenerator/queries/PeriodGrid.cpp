#include "VELMPluginReportGenerator/queries/PeriodGrid.h"

#include "VELMPluginReportGenerator/queries/PeriodTables.h"
#include "VELMPluginReportGenerator/queries/SqlTemplate.h"

#include <QStringList>

namespace periodGrid {
namespace {

constexpr const char* rangeTemplate =
    "CREATE TEMP TABLE test_years_%1_ (yearcode PRIMARY KEY, MaxYearDT INTEGER);\n"
    "_%1111_"
    "UPDATE test_years_%1_ SET MaxYearDT = (yearcode * 10000 _%51_ );\n"
    "CREATE TEMP TABLE minMaxDate_%1_ AS SELECT _%6_ AS MinDate, _%7_ AS MaxDate;\n"
    "CREATE TEMP TABLE yeardays_%1_ AS SELECT DateNumm, d.R_DevID AS RDevID \n"
    "FROM (SELECT yearcode * 10000 + t1.DateNum AS DateNumm FROM _%14_ t1, test_years_%1_, "
    "minMaxDate_%1_ \n  WHERE DateNumm BETWEEN MinDate AND MaxDate _%52_ _%53_), devIDs_%1_ d;\n";

constexpr const char* yearRow =
    "INSERT INTO test_years_%1_ (yearcode, MaxYearDT) values(_%2222_,null);\n";

// The key test joins device id and period as text; periods all have eight digits, so the pair
// reads back unambiguously.
constexpr const char* gridTemplate =
    "CREATE TEMP TABLE R_%8___%1_ AS SELECT DevID AS RDevID, Value, dt2 AS DateNumm FROM Res_%1_ "
    "\nUNION SELECT RDevID, NULL AS Value, DateNumm FROM yeardays_%1_ \n"
    "WHERE NOT (RDevID || DateNumm IN (SELECT DevID || dt2 FROM Res_%1_));\n"
    "CREATE INDEX idxTest__%8___%1_ ON R_%8___%1_ (RDevID, DateNumm);\n";

QString yearRows(const periodSql::YearSpan& years) {
    QString rows;
    for (int year = years.first; year <= years.last; ++year)
        rows +=
            QString::fromLatin1(yearRow).replace(SqlTemplate::token(2222), QString::number(year));
    return rows;
}

} // namespace

QString rangeSql(const ReportQueryParams& params) {
    const int period = params.period;
    SqlTemplate sql{QString::fromLatin1(rangeTemplate)};
    sql.set(1111, yearRows(periodSql::yearsOfRange(period, params.start, params.end)))
        .set(51, periodSql::yearBound(period))
        .set(52, periodSql::hasYearBound(period) ? QStringLiteral(" AND (DateNumm < MaxYearDT)")
                                                 : QString())
        .set(53, periodSql::existingPeriodsOnly(period))
        .set(6, periodSql::minDate(period, params.start))
        .set(7, periodSql::maxDate(period, params.end))
        .set(14, periodSql::yearTable(period));
    return sql.text();
}

QString gridSql(int ordinal) {
    return SqlTemplate{QString::fromLatin1(gridTemplate)}.set(8, ordinal).text();
}

CounterColumns counterColumns(const QList<CounterSpec>& counters, bool summed, bool sumTotal) {
    QStringList fields, terms, tables, joins, aliases, drops;
    for (qsizetype i = 0; i < counters.size(); ++i) {
        const QString k = QString::number(i + 1);
        const QString value = QStringLiteral("t%1.Value").arg(k);
        fields << (summed ? QStringLiteral("sum(ifnull(%1, 0)) as Field%2").arg(value, k)
                          : QStringLiteral("%1 as Field%2").arg(value, k));
        aliases << QStringLiteral("Field%1 AS '%2'").arg(k, counters[i].name);
        terms << QStringLiteral("ifnull(%1, 0)").arg(value);
        tables << QStringLiteral("R%1_%2 t%1").arg(k, SqlTemplate::token(1));
        drops << QStringLiteral("DROP TABLE R%1_%2;\n").arg(k, SqlTemplate::token(1));
        if (i > 0) {
            joins
                << QStringLiteral("(t1.RDevID = t%1.RDevID and t1.DateNumm = t%1.DateNumm)").arg(k);
        }
    }
    const QString total = terms.join(QStringLiteral(" + "));
    return {fields.join(QStringLiteral(", ")),
            sumTotal ? QStringLiteral("sum(%1)").arg(total) : total,
            tables.join(QStringLiteral(", ")),
            joins.isEmpty() ? QString()
                            : QStringLiteral("WHERE ") + joins.join(QStringLiteral(" and ")),
            aliases.join(QStringLiteral(", ")),
            drops.join(QString())};
}

QString dropRangeSql() {
    return QStringLiteral("DROP TABLE yeardays_%1_;\nDROP TABLE test_years_%1_;\n"
                          "DROP TABLE minMaxDate_%1_;\n");
}

} // namespace periodGrid
