#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"

namespace {

// Discoveries up to 32 days around the range are numbered in time order and paired with their
// successor, so the first discovery of the range has a predecessor to compare with and the
// last one a successor. A result is New when flagged so, Found when the same device did not
// have the same IP in the discovery before, and Lost at the next discovery when it does not
// have that IP there.
constexpr const char* discoveryHistorySql =
    R"SQL(CREATE TEMP TABLE devIDs_%1_ (R_DevID INTEGER PRIMARY KEY);
INSERT INTO devIDs_%1_ _%2_
CREATE TEMP TABLE discIDs_%1_ (ID INTEGER PRIMARY KEY, discID INTEGER);
INSERT INTO discIDs_%1_ (discID)
  SELECT DiscoveryID FROM Discoveries
  WHERE StartTime >= _%21_ AND StartTime <= _%22_
  ORDER BY StartTime, DiscoveryID;
CREATE TEMP TABLE discIDs2_%1_ AS
  SELECT t1.discID AS DiscID1, t2.discID AS DiscID2
  FROM discIDs_%1_ t1 JOIN discIDs_%1_ t2 ON t2.ID = t1.ID + 1;
CREATE INDEX idxdiscIdx_%1_ ON discIDs2_%1_ (DiscID1);
CREATE INDEX idxdiscIdx1_%1_ ON discIDs2_%1_ (DiscID2);
CREATE TEMP TABLE DevHistoryList_%1_ (DeviceID INTEGER, DiscID INTEGER, IP VARCHAR, DevStatus VARCHAR);
CREATE TEMP TABLE DevHistoryList2_%1_ (DeviceID INTEGER, DiscID INTEGER, IP VARCHAR, DevStatus VARCHAR);
INSERT INTO DevHistoryList_%1_
  SELECT r.DeviceID, r.R_DiscoveryID, r.IP, 'New'
  FROM DiscoveryResults r
  JOIN devIDs_%1_ d ON d.R_DevID = r.DeviceID
  JOIN discIDs_%1_ w ON w.discID = r.R_DiscoveryID
  WHERE r.IsNew + 0 = 1;
INSERT INTO DevHistoryList2_%1_
  SELECT r.DeviceID, r.R_DiscoveryID, r.IP, 'Found'
  FROM DiscoveryResults r
  JOIN devIDs_%1_ d ON d.R_DevID = r.DeviceID
  JOIN discIDs_%1_ w ON w.discID = r.R_DiscoveryID
  WHERE NOT EXISTS (
    SELECT 1 FROM discIDs2_%1_ p
    JOIN DiscoveryResults q ON q.R_DiscoveryID = p.DiscID1
    WHERE p.DiscID2 = r.R_DiscoveryID AND q.DeviceID = r.DeviceID AND q.IP = r.IP);
INSERT INTO DevHistoryList_%1_
  SELECT c.DeviceID, c.DiscID, c.IP, 'Found'
  FROM DevHistoryList2_%1_ c
  WHERE NOT EXISTS (
    SELECT 1 FROM DevHistoryList_%1_ n
    WHERE n.DeviceID = c.DeviceID AND n.DiscID = c.DiscID AND n.IP = c.IP);
INSERT INTO DevHistoryList_%1_
  SELECT r.DeviceID, p.DiscID2, r.IP, 'Lost'
  FROM DiscoveryResults r
  JOIN devIDs_%1_ d ON d.R_DevID = r.DeviceID
  JOIN discIDs2_%1_ p ON p.DiscID1 = r.R_DiscoveryID
  WHERE NOT EXISTS (
    SELECT 1 FROM DiscoveryResults q
    WHERE q.R_DiscoveryID = p.DiscID2 AND q.DeviceID = r.DeviceID AND q.IP = r.IP);
SELECT h.DeviceID, h.IP, h.DevStatus, v3.Value AS HostName, v8.Value AS ModelName, v5.Value AS MAC,
  datetime(s.StartTime, 'unixepoch', 'localtime') AS StartTime
FROM DevHistoryList_%1_ h
JOIN Discoveries s ON s.DiscoveryID = h.DiscID
JOIN DevicePropertyValues v3 ON v3.R_DeviceID = h.DeviceID AND v3.R_PropertyID = 3
JOIN DevicePropertyValues v8 ON v8.R_DeviceID = h.DeviceID AND v8.R_PropertyID = 8
JOIN DevicePropertyValues v5 ON v5.R_DeviceID = h.DeviceID AND v5.R_PropertyID = 5
WHERE StartTime >= _%18_ AND StartTime <= _%19_
ORDER BY h.DiscID, h.IP;
DROP TABLE discIDs_%1_;
DROP TABLE discIDs2_%1_;
DROP TABLE devIDs_%1_;
DROP TABLE DevHistoryList_%1_;
DROP TABLE DevHistoryList2_%1_;
)SQL";

// Margin around the range: 32 days.
constexpr qint64 discoveryMarginSeconds = 2764800;

} // namespace

QString composeDiscoveryHistorySql(const ReportQueryParams& params) {
    SqlTemplate script(QString::fromLatin1(discoveryHistorySql));
    script.set(21, params.start - discoveryMarginSeconds)
        .set(22, params.end + discoveryMarginSeconds)
        .set(18, params.start)
        .set(19, params.end);
    return finishReportScript(std::move(script), params);
}
