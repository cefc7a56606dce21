#pragma once

#include "VELMPluginReportGenerator/queries/ReportQueryParams.h"

#include <QString>

// Pieces shared by the scripts that tabulate by period: the range as period numbers, the grid
// of every selected device and period, and the columns that join one grid per counter.
namespace periodGrid {

// Creates test_years_ (with each year's bound), minMaxDate_ and yeardays_: every pair of
// selected device and period number of the range. Expects devIDs_ to be filled.
QString rangeSql(const ReportQueryParams& params);

// Creates the grid R<ordinal>__ from Res_: the computed values, NULL for every other device
// and period of yeardays_.
QString gridSql(int ordinal);

// The per-counter lists of the final statement; counter k reads grid table t<k>.
struct CounterColumns {
    QString fields;  // "_%9_"
    QString terms;   // "_%10_": the row total
    QString tables;  // "_%11_"
    QString joins;   // "_%12_": "WHERE ..." tying every grid to the first, or empty
    QString aliases; // "_%35_": the counter names as output columns
    QString drops;   // the grid drops, one per line
};
// Values are summed when rows are grouped; `sumTotal` wraps the total likewise.
CounterColumns counterColumns(const QList<CounterSpec>& counters, bool summed, bool sumTotal);

// Drops the tables rangeSql() creates.
QString dropRangeSql();

} // namespace periodGrid
