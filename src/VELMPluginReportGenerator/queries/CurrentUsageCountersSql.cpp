#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/queries/SqlTemplate.h"

namespace {

// Finds the counter table and its columns by name rather than by id; words outside the
// known values come back NULL.
constexpr const char* currentCountersSql = R"SQL(SELECT
  CASE j.Value WHEN 'print' THEN 'Print' WHEN 'copy' THEN 'Copy' WHEN 'faxIn' THEN 'Fax' WHEN 'scan' THEN 'Scan' END AS job_type,
  CASE m.Value WHEN 'small' THEN 'Small' WHEN 'large' THEN 'Large' END AS media_size,
  CASE c.Value WHEN 'fullColor' THEN 'Color' WHEN 'monoColor' THEN 'Mono' END AS color_mode,
  CASE p.Value WHEN 'simplex' THEN 'Simplex' WHEN 'duplex' THEN 'Duplex' WHEN 'duplexSingle' THEN 'DuplexSingle' END AS print_mode,
  v.Value AS value
FROM DevicePropertyDescr d
JOIN PropertyColumnDescr cj ON cj.R_PropertyID = d.PropertyID AND cj.Name = 'zepHrDevCountJobType'
JOIN PropertyColumnDescr cm ON cm.R_PropertyID = d.PropertyID AND cm.Name = 'zepHrDevCountMediaSize'
JOIN PropertyColumnDescr cc ON cc.R_PropertyID = d.PropertyID AND cc.Name = 'zepHrDevCountColor'
JOIN PropertyColumnDescr cp ON cp.R_PropertyID = d.PropertyID AND cp.Name = 'zepHrDevCountDuplex'
JOIN PropertyColumnDescr cv ON cv.R_PropertyID = d.PropertyID AND cv.Name = 'zepHrDevCountValue'
JOIN DevicePropertyValues j ON j.R_DeviceID = _%1_ AND j.R_PropertyID = d.PropertyID AND j.R_ColumnID = cj.ColumnID
LEFT JOIN DevicePropertyValues m ON m.R_DeviceID = j.R_DeviceID AND m.R_PropertyID = d.PropertyID AND m.RowIndex = j.RowIndex AND m.R_ColumnID = cm.ColumnID
LEFT JOIN DevicePropertyValues c ON c.R_DeviceID = j.R_DeviceID AND c.R_PropertyID = d.PropertyID AND c.RowIndex = j.RowIndex AND c.R_ColumnID = cc.ColumnID
LEFT JOIN DevicePropertyValues p ON p.R_DeviceID = j.R_DeviceID AND p.R_PropertyID = d.PropertyID AND p.RowIndex = j.RowIndex AND p.R_ColumnID = cp.ColumnID
LEFT JOIN DevicePropertyValues v ON v.R_DeviceID = j.R_DeviceID AND v.R_PropertyID = d.PropertyID AND v.RowIndex = j.RowIndex AND v.R_ColumnID = cv.ColumnID
WHERE d.Name = 'zepHrDevCountTable'
ORDER BY j.RowIndex)SQL";

} // namespace

std::optional<QString> composeCurrentUsageCountersSql(const QString& deviceId) {
    const auto id = decimalId(deviceId);
    if (!id)
        return std::nullopt;
    return SqlTemplate(QString::fromLatin1(currentCountersSql)).set(1, *id).text();
}
