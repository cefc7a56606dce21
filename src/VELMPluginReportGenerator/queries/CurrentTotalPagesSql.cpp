#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"

#include <array>

namespace {

// Devices of the selection, their identity and total count, and the column layout of the
// result. The identity rows are cut down to none: finalResult_ only takes their columns.
constexpr const char* headSql =
    R"SQL(CREATE TEMP TABLE tempDevices_%1_ (R_DevID INTEGER PRIMARY KEY);
INSERT INTO tempDevices_%1_ _%2_
CREATE TEMP TABLE selDevices_%1_ (DeviceID INTEGER PRIMARY KEY);
INSERT INTO selDevices_%1_ SELECT R_DevID FROM tempDevices_%1_;
CREATE TEMP TABLE tempTotalPages_%1_ AS
  SELECT s.DeviceID AS deviceid, v8.Value AS ModelName, v10.Value AS Serial, v28.Value AS CountMarker,
    c.R_ColumnID AS columnid, v4.Value AS IP
  FROM selDevices_%1_ s
  JOIN DevicePropertyValues v8 ON v8.R_DeviceID = s.DeviceID AND v8.R_PropertyID = 8
  JOIN DevicePropertyValues v10 ON v10.R_DeviceID = s.DeviceID AND v10.R_PropertyID = 10
  JOIN DevicePropertyValues v28 ON v28.R_DeviceID = s.DeviceID AND v28.R_PropertyID = 28
  JOIN DevicePropertyValues c ON c.R_DeviceID = s.DeviceID AND c.R_PropertyID = 47 AND c.RowIndex = 0
  JOIN DevicePropertyValues v4 ON v4.R_DeviceID = s.DeviceID AND v4.R_PropertyID = 4;
DELETE FROM tempTotalPages_%1_ WHERE columnid IN (1,2,3,4,5,6,7);
CREATE TEMP TABLE finalResult_%1_ AS
  SELECT deviceid, IP, ModelName, Serial, CountMarker, NULL AS Print_Counter, NULL AS Copy_Counter,
    NULL AS IncomingFax_Counter, NULL AS Scan_Counter, NULL AS Report_Counter
  FROM tempTotalPages_%1_;
CREATE TEMP TABLE tempNull_%1_ AS
  SELECT DISTINCT s.DeviceID AS DeviceID
  FROM selDevices_%1_ s
  JOIN DevicePropertyValues c ON c.R_DeviceID = s.DeviceID AND c.R_PropertyID = 47 AND c.R_ColumnID = 7;
)SQL";

// Page sum of one job type (_%5_) in one print mode (_%6_) per device, into table _%7_.
constexpr const char* modeSumSql = R"SQL(CREATE TEMP TABLE _%7_ AS
  SELECT j.R_DeviceID AS DeviceID, sum(v.Value) AS _%8_
  FROM DevicePropertyValues j
  JOIN tempNull_%1_ n ON n.DeviceID = j.R_DeviceID
  JOIN DevicePropertyValues m ON m.R_DeviceID = j.R_DeviceID AND m.R_PropertyID = 47 AND m.RowIndex = j.RowIndex AND m.R_ColumnID = 5
  JOIN DevicePropertyValues v ON v.R_DeviceID = j.R_DeviceID AND v.R_PropertyID = 47 AND v.RowIndex = j.RowIndex AND v.R_ColumnID = 7
  WHERE j.R_PropertyID = 47 AND j.R_ColumnID = 2 AND j.Value = _%5_ AND m.Value = _%6_
  GROUP BY j.R_DeviceID;
)SQL";

// A duplex count is two pages. A device with duplex pages only still gets its total.
constexpr const char* jobTotalSql = R"SQL(CREATE TEMP TABLE _%9_ AS
  SELECT n.DeviceID AS DeviceID, ifnull(Simplex + (2 * Duplex), ifnull(Simplex, 2 * Duplex)) AS Total
  FROM tempNull_%1_ n
  LEFT JOIN _%7_ s ON s.DeviceID = n.DeviceID
  LEFT JOIN _%8_ d ON d.DeviceID = n.DeviceID;
)SQL";

constexpr const char* scanTotalSql = R"SQL(/*No duplex for scan*/
CREATE TEMP TABLE _%9_ AS SELECT DeviceID, Simplex AS Total FROM _%7_;
)SQL";

constexpr const char* tailSql = R"SQL(INSERT INTO finalResult_%1_
  SELECT n.DeviceID, v4.Value, v8.Value, v10.Value, v28.Value, p.Total, c.Total, f.Total, s.Total, r.Total
  FROM tempNull_%1_ n
  JOIN DevicePropertyValues v8 ON v8.R_DeviceID = n.DeviceID AND v8.R_PropertyID = 8
  JOIN DevicePropertyValues v10 ON v10.R_DeviceID = n.DeviceID AND v10.R_PropertyID = 10
  JOIN DevicePropertyValues v28 ON v28.R_DeviceID = n.DeviceID AND v28.R_PropertyID = 28
  JOIN DevicePropertyValues v4 ON v4.R_DeviceID = n.DeviceID AND v4.R_PropertyID = 4
  LEFT JOIN print_Total__%1_ p ON p.DeviceID = n.DeviceID
  LEFT JOIN copy_Total__%1_ c ON c.DeviceID = n.DeviceID
  LEFT JOIN faxIn_Total__%1_ f ON f.DeviceID = n.DeviceID
  LEFT JOIN scan_Total__%1_ s ON s.DeviceID = n.DeviceID
  LEFT JOIN report_Total__%1_ r ON r.DeviceID = n.DeviceID;
SELECT deviceid, IP, ModelName, Serial, CountMarker, Print_Counter, Copy_Counter, IncomingFax_Counter,
  Scan_Counter, Report_Counter
FROM finalResult_%1_
ORDER BY deviceid;
)SQL";

// Job types whose duplex pages count twice; scan has simplex pages only.
constexpr std::array<const char*, 4> duplexJobTypes{"print", "copy", "faxIn", "report"};
constexpr const char* scanJobType = "scan";

// A temporary table of this script; the report id completes the name.
QString tempTable(const QString& prefix) {
    return prefix + SqlTemplate::token(SqlTemplate::reportIdPlaceholder);
}

QString jobTable(const QString& jobType, const char* part) {
    return jobType + QLatin1Char('_') + QLatin1String(part) + QLatin1Char('_');
}

QString modeSum(const QString& jobType, const char* mode, const char* column) {
    SqlTemplate block(QString::fromLatin1(modeSumSql));
    block.set(7, tempTable(jobTable(jobType, column)))
        .set(8, QLatin1String(column))
        .set(5, QLatin1Char('\'') + jobType + QLatin1Char('\''))
        .set(6, QLatin1Char('\'') + QLatin1String(mode) + QLatin1Char('\''));
    return block.text();
}

} // namespace

QString composeCurrentTotalPagesSql(const ReportQueryParams& params) {
    QString text = QString::fromLatin1(headSql);
    QStringList tables{QStringLiteral("tempDevices"), QStringLiteral("selDevices"),
                       QStringLiteral("tempTotalPages"), QStringLiteral("finalResult"),
                       QStringLiteral("tempNull")};
    for (const char* type : duplexJobTypes) {
        const QString jobType = QString::fromLatin1(type);
        text += modeSum(jobType, "simplex", "Simplex");
        text += modeSum(jobType, "duplex", "Duplex");
        text += SqlTemplate(QString::fromLatin1(jobTotalSql))
                    .set(7, tempTable(jobTable(jobType, "Simplex")))
                    .set(8, tempTable(jobTable(jobType, "Duplex")))
                    .set(9, tempTable(jobTable(jobType, "Total")))
                    .text();
        tables << jobTable(jobType, "Simplex") << jobTable(jobType, "Duplex")
               << jobTable(jobType, "Total");
    }
    const QString scan = QString::fromLatin1(scanJobType);
    text += modeSum(scan, "simplex", "Simplex");
    text += SqlTemplate(QString::fromLatin1(scanTotalSql))
                .set(7, tempTable(jobTable(scan, "Simplex")))
                .set(9, tempTable(jobTable(scan, "Total")))
                .text();
    tables << jobTable(scan, "Simplex") << jobTable(scan, "Total");
    text += QString::fromLatin1(tailSql);
    for (const auto& table : tables)
        text += QStringLiteral("DROP TABLE ") + tempTable(table) + QStringLiteral(";\n");
    return finishReportScript(SqlTemplate(text), params);
}
