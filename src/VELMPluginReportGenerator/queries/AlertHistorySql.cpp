#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"

namespace {

// The range applies to the alert's own time (column 6), not to the time of the sample that
// stored it; the other cells of the alert are those of the same row in the same sample.
constexpr const char* alertHistorySql = R"SQL(CREATE TEMP TABLE devIDs__%1_ AS _%2_
CREATE INDEX idxdevID__%1_ ON devIDs__%1_ (R_DevID);
CREATE TEMP TABLE ValIDs_%1_ (ValID INTEGER PRIMARY KEY, TimeValue INTEGER);
INSERT INTO ValIDs_%1_
  SELECT t8.ValueID, t8.TimeValue
  FROM DevicePropertyHistory t8
  JOIN devIDs__%1_ d ON d.R_DevID = t8.R_DeviceID
  WHERE t8.R_PropertyID = 30 AND t8.R_ColumnID = 6
    AND t8.Value + 0 >= _%18_ AND t8.Value + 0 <= _%19_;
SELECT t8.R_DeviceID AS DeviceID,
  datetime(v.TimeValue, 'unixepoch', 'localtime') AS TimeValue,
  datetime(t8.Value + 0, 'unixepoch', 'localtime') AS AlertTime,
  t3.Value AS SeverityLevel, t4.Value AS TrainingLevel, t1.Value AS AlertCode,
  t5.Value AS AlertGroup, t2.Value AS Description
FROM ValIDs_%1_ v
JOIN DevicePropertyHistory t8 ON t8.ValueID = v.ValID
LEFT JOIN DevicePropertyHistory t1 ON t1.R_DeviceID = t8.R_DeviceID AND t1.R_PropertyID = t8.R_PropertyID AND t1.R_ColumnID = 1 AND t1.TimeValue = t8.TimeValue AND t1.RowIndex = t8.RowIndex
LEFT JOIN DevicePropertyHistory t2 ON t2.R_DeviceID = t8.R_DeviceID AND t2.R_PropertyID = t8.R_PropertyID AND t2.R_ColumnID = 2 AND t2.TimeValue = t8.TimeValue AND t2.RowIndex = t8.RowIndex
LEFT JOIN DevicePropertyHistory t3 ON t3.R_DeviceID = t8.R_DeviceID AND t3.R_PropertyID = t8.R_PropertyID AND t3.R_ColumnID = 3 AND t3.TimeValue = t8.TimeValue AND t3.RowIndex = t8.RowIndex
LEFT JOIN DevicePropertyHistory t4 ON t4.R_DeviceID = t8.R_DeviceID AND t4.R_PropertyID = t8.R_PropertyID AND t4.R_ColumnID = 4 AND t4.TimeValue = t8.TimeValue AND t4.RowIndex = t8.RowIndex
LEFT JOIN DevicePropertyHistory t5 ON t5.R_DeviceID = t8.R_DeviceID AND t5.R_PropertyID = t8.R_PropertyID AND t5.R_ColumnID = 5 AND t5.TimeValue = t8.TimeValue AND t5.RowIndex = t8.RowIndex
ORDER BY t8.R_DeviceID, v.TimeValue, t8.RowIndex;
DROP TABLE devIDs__%1_;
DROP TABLE ValIDs_%1_;
)SQL";

} // namespace

QString composeAlertHistorySql(const ReportQueryParams& params) {
    SqlTemplate script(QString::fromLatin1(alertHistorySql));
    script.set(18, params.start).set(19, params.end);
    return finishReportScript(std::move(script), params);
}
