#include "VELMPluginReportGenerator/builders/DeviceListBuilder.h"

#include "VELMPluginReportGenerator/builders/IpSort.h"
#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/builders/RowReport.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

constexpr int queryProgress = 10;
const QString deviceIdColumn = QStringLiteral("DeviceID");

const QString deviceListTemplate = QStringLiteral(
    "SELECT D.DeviceId as DeviceID, V1.Value as HostName, V2.Value as IP, V3.value as MAC, "
    "V4.Value as Location, V5.Value as ModelName, V6.Value as Manufacturer, V7.Value as Serial \n"
    "FROM Devices D \n"
    "LEFT JOIN DevicePropertyValues V1 ON D.DeviceId = V1.R_DeviceID and V1.R_PropertyID=3 \n"
    "LEFT JOIN DevicePropertyValues V2 ON D.DeviceId = V2.R_DeviceID and V2.R_PropertyID=4 \n"
    "LEFT JOIN DevicePropertyValues V3 ON D.DeviceId = V3.R_DeviceID and V3.R_PropertyID=5 \n"
    "LEFT JOIN DevicePropertyValues V4 ON D.DeviceId = V4.R_DeviceID and V4.R_PropertyID=7 \n"
    "LEFT JOIN DevicePropertyValues V5 ON D.DeviceId = V5.R_DeviceID and V5.R_PropertyID=8 \n"
    "LEFT JOIN DevicePropertyValues V6 ON D.DeviceId = V6.R_DeviceID and V6.R_PropertyID=9 \n"
    "LEFT JOIN DevicePropertyValues V7 ON D.DeviceId = V7.R_DeviceID and V7.R_PropertyID=10 \n"
    "WHERE deviceid in (%1) ORDER BY %2");

// The device ids of the answer's rows, in address order.
QStringList idsInAddressOrder(const DBSResultSet& rows) {
    QList<DeviceAddress> devices;
    for (const DBSRow& row : rows.rows)
        devices.append({row.value(deviceIdColumn), row.value(u"IP")});
    sortByIp(devices);
    QStringList ids;
    for (const DeviceAddress& device : devices)
        ids.append(device.deviceId);
    return ids;
}

QStringList idsInRowOrder(const DBSResultSet& rows) {
    QStringList ids;
    for (const DBSRow& row : rows.rows)
        ids.append(row.value(deviceIdColumn));
    return ids;
}

} // namespace

QString deviceListQuery(const QString& ids, const QString& orderBy) {
    return deviceListTemplate.arg(ids, orderBy);
}

void buildDeviceList(ReportBuild& build) {
    build.progress.advance(queryProgress);
    const QString sortBy = build.definition.parameter(QStringLiteral("SortBy"));
    const std::optional<DeviceListOrder> order = deviceListOrder(sortBy);
    if (!order) {
        VELM_ERR << "Report " << build.reportId << ": SortBy \"" << sortBy
                 << "\" is not a column of the device list; no query sent";
        build.progress.fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
        return;
    }
    const auto answer = build.database.run(deviceListQuery(
        decimalIdList(build.selection.deviceIds).value_or(QString()), order->orderBy));
    if (answer->result() != ResultCode::Ok) {
        build.progress.fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
        return;
    }
    const DBSResultSet rows = answer->resultSets().value(0);
    QStringList ids;
    if (order->sortByIpAddress) {
        ids = idsInAddressOrder(rows);
        build.selection.deviceIds = ids;
    } else {
        ids = idsInRowOrder(rows);
    }
    const auto rowsById = rowsByColumn(*answer, deviceIdColumn);
    for (const QString& id : ids) {
        auto* device = build.document.appendWithId(build.body, QStringLiteral("Device"), id);
        for (const DBSRow* row : rowsById.value(id))
            appendColumns(build.document, device, *row, deviceIdColumn);
    }
}
