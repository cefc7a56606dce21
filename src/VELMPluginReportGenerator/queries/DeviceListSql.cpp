#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"

namespace {

// Every device, whatever the selection; a property the device lacks stays NULL.
constexpr const char* deviceListSql =
    R"SQL(CREATE TEMP TABLE TempProperty_%1_ (DeviceID INTEGER PRIMARY KEY, ModelName, IP, MAC, Status, HostName, Location, Serial);
INSERT INTO TempProperty_%1_ (DeviceID) SELECT DeviceID FROM Devices;
UPDATE TempProperty_%1_ SET ModelName = (SELECT Value FROM DevicePropertyValues WHERE R_DeviceID = TempProperty_%1_.DeviceID AND R_PropertyID = 8);
UPDATE TempProperty_%1_ SET IP = (SELECT Value FROM DevicePropertyValues WHERE R_DeviceID = TempProperty_%1_.DeviceID AND R_PropertyID = 4);
UPDATE TempProperty_%1_ SET MAC = (SELECT Value FROM DevicePropertyValues WHERE R_DeviceID = TempProperty_%1_.DeviceID AND R_PropertyID = 5);
UPDATE TempProperty_%1_ SET Status = (SELECT Value FROM DevicePropertyValues WHERE R_DeviceID = TempProperty_%1_.DeviceID AND R_PropertyID = 1);
UPDATE TempProperty_%1_ SET HostName = (SELECT Value FROM DevicePropertyValues WHERE R_DeviceID = TempProperty_%1_.DeviceID AND R_PropertyID = 3);
UPDATE TempProperty_%1_ SET Location = (SELECT Value FROM DevicePropertyValues WHERE R_DeviceID = TempProperty_%1_.DeviceID AND R_PropertyID = 7);
UPDATE TempProperty_%1_ SET Serial = (SELECT Value FROM DevicePropertyValues WHERE R_DeviceID = TempProperty_%1_.DeviceID AND R_PropertyID = 10);
SELECT * FROM TempProperty_%1_ ORDER BY DeviceID;
DROP TABLE TempProperty_%1_;
)SQL";

} // namespace

QString composeDeviceListSql(const ReportQueryParams& params) {
    return finishReportScript(SqlTemplate(QString::fromLatin1(deviceListSql)), params);
}
