#include "FleetSchema.h"

#include "DeviceProperties.h"
#include "SettingsWriter.h"
#include "Sqlite.h"

#include <QRegularExpression>

namespace FleetSchema {
namespace {
// Property values travel as text; TEXT affinity keeps every stored cell in that form so
// comparisons with quoted literals ('small', 'lowToner', model names) behave alike.
constexpr const char* kTables = R"SQL(
CREATE TABLE Devices (
    DeviceID INTEGER PRIMARY KEY,
    R_ModelID INTEGER,
    AddedTime INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE Models (
    ModelID INTEGER PRIMARY KEY,
    ModelName TEXT NOT NULL,
    Manufacturer TEXT NOT NULL,
    Color INTEGER NOT NULL,
    Duplex INTEGER NOT NULL,
    PPM INTEGER NOT NULL
);
CREATE TABLE Groups (
    GroupID INTEGER PRIMARY KEY,
    Name TEXT NOT NULL,
    Description TEXT
);
CREATE TABLE DeviceInGroup (
    R_DeviceID INTEGER NOT NULL,
    R_GroupID INTEGER NOT NULL,
    PRIMARY KEY (R_GroupID, R_DeviceID)
) WITHOUT ROWID;
CREATE TABLE DevicePropertyDescr (
    PropertyID INTEGER PRIMARY KEY,
    Name TEXT NOT NULL,
    StoreHistory INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE PropertyColumnDescr (
    R_PropertyID INTEGER NOT NULL,
    ColumnID INTEGER NOT NULL,
    Name TEXT NOT NULL,
    PRIMARY KEY (R_PropertyID, ColumnID)
) WITHOUT ROWID;
CREATE TABLE DevicePropertyValues (
    R_DeviceID INTEGER NOT NULL,
    R_PropertyID INTEGER NOT NULL,
    R_ColumnID INTEGER NOT NULL DEFAULT 0,
    RowIndex INTEGER NOT NULL DEFAULT 0,
    TimeValue INTEGER,
    Value TEXT,
    PRIMARY KEY (R_DeviceID, R_PropertyID, R_ColumnID, RowIndex)
) WITHOUT ROWID;
CREATE TABLE DevicePropertyHistory (
    ValueID INTEGER PRIMARY KEY,
    R_DeviceID INTEGER NOT NULL,
    R_PropertyID INTEGER NOT NULL,
    R_ColumnID INTEGER NOT NULL,
    RowIndex INTEGER NOT NULL,
    TimeValue INTEGER NOT NULL,
    Value TEXT
);
CREATE TABLE valuetimestamps (
    R_ValueID INTEGER PRIMARY KEY,
    TimeValue INTEGER NOT NULL
);
CREATE TABLE Discoveries (
    DiscoveryID INTEGER PRIMARY KEY,
    StartTime INTEGER NOT NULL,
    EndTime INTEGER
);
CREATE TABLE DiscoveryResults (
    DeviceID INTEGER NOT NULL,
    R_DiscoveryID INTEGER NOT NULL,
    IP TEXT,
    IsNew INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE UpgradeHistory (
    R_DeviceID INTEGER NOT NULL,
    FwType TEXT NOT NULL,
    FwVersionNew TEXT,
    FwVersionOld TEXT,
    UpgradeTime INTEGER NOT NULL
);
CREATE TABLE AlertTrendGroup (
    AlertValue TEXT PRIMARY KEY,
    AlertTrendGroup INTEGER NOT NULL
);
CREATE TABLE YearHours (DateNum INTEGER PRIMARY KEY);
CREATE TABLE YearDays (DateNum INTEGER PRIMARY KEY);
CREATE TABLE YearWeeks (DateNum INTEGER PRIMARY KEY);
CREATE TABLE YearMonths (DateNum INTEGER PRIMARY KEY);
CREATE TABLE Scheduler (
    GlobalID INTEGER PRIMARY KEY AUTOINCREMENT,
    ServiceName TEXT NOT NULL,
    ScheduleID INTEGER NOT NULL,
    StartTime INTEGER NOT NULL,
    IntervalType INTEGER NOT NULL,
    IntervalValue INTEGER NOT NULL,
    StopTime INTEGER NOT NULL DEFAULT 0,
    CommandToSend TEXT,
    Tag TEXT
);
CREATE TABLE Settings (
    Name TEXT PRIMARY KEY,
    Value TEXT
);
CREATE TABLE UserGroups (
    UserGroupID INTEGER PRIMARY KEY,
    Name TEXT NOT NULL
);
CREATE TABLE Users (
    UserID INTEGER PRIMARY KEY,
    Login TEXT NOT NULL UNIQUE,
    UserName TEXT NOT NULL,
    R_UserGroupID INTEGER
);
CREATE TABLE JobLog (
    JobID INTEGER PRIMARY KEY,
    R_UserID INTEGER NOT NULL,
    R_DeviceID INTEGER NOT NULL,
    JobTime INTEGER NOT NULL,
    JobType TEXT NOT NULL,
    Pages INTEGER NOT NULL,
    ColorMode TEXT,
    PrintMode TEXT,
    PaperSize TEXT,
    Staple INTEGER NOT NULL DEFAULT 0,
    Destination TEXT
);
)SQL";

constexpr const char* kIndexes = R"SQL(
CREATE INDEX IF NOT EXISTS idxDeviceInGroupDevice ON DeviceInGroup (R_DeviceID);
CREATE INDEX IF NOT EXISTS idxValuesByProperty ON DevicePropertyValues (R_PropertyID, Value);
CREATE INDEX IF NOT EXISTS idxHistoryCell
    ON DevicePropertyHistory (R_DeviceID, R_PropertyID, R_ColumnID, TimeValue, RowIndex, Value);
CREATE INDEX IF NOT EXISTS idxHistoryTime
    ON DevicePropertyHistory (R_PropertyID, R_ColumnID, TimeValue, R_DeviceID, RowIndex, Value);
CREATE INDEX IF NOT EXISTS idxDiscoveriesStart ON Discoveries (StartTime);
CREATE INDEX IF NOT EXISTS idxDiscoveryResultsDisc ON DiscoveryResults (R_DiscoveryID, DeviceID);
CREATE INDEX IF NOT EXISTS idxDiscoveryResultsDevice ON DiscoveryResults (DeviceID);
CREATE INDEX IF NOT EXISTS idxUpgradeDevice ON UpgradeHistory (R_DeviceID, UpgradeTime);
CREATE INDEX IF NOT EXISTS idxJobLogDevice ON JobLog (R_DeviceID, JobTime);
CREATE INDEX IF NOT EXISTS idxJobLogUser ON JobLog (R_UserID, JobTime);
CREATE INDEX IF NOT EXISTS idxSchedulerItem ON Scheduler (ServiceName, ScheduleID);
)SQL";

struct AlertKind {
    const char* code;
    int kind;
};

// Alert codes counted by the alert trend: 0 jam, 1 supply, 2 device; the field-service
// training level (kind 3) is matched by its own row.
constexpr AlertKind kAlertKinds[] = {
    {"jam", 0},
    {"inputMediaSupplyEmpty", 1},
    {"inputMediaSupplyLow", 1},
    {"markerTonerEmpty", 1},
    {"markerTonerAlmostEmpty", 1},
    {"markerWasteTonerReceptacleAlmostFull", 1},
    {"coverOpen", 2},
    {"doorOpen", 2},
    {"inputMediaTrayMissing", 2},
    {"subunitRecoverableFailure", 2},
    {"subunitUnrecoverableFailure", 2},
    {"subunitMotorFailure", 2},
    {"subunitOverTemperature", 2},
    {"fieldService", 3},
};

void fillYearTable(SqliteConnection& db, const char* table, int first, int last) {
    SqliteStatement insert(
        db, QStringLiteral("INSERT INTO %1 (DateNum) VALUES (?)").arg(QString::fromLatin1(table)));
    for (int n = first; n <= last; ++n)
        insert.bind(1, n).run();
}

void fillReferenceData(SqliteConnection& db) {
    SqliteStatement descr(db, QStringLiteral("INSERT INTO DevicePropertyDescr "
                                             "(PropertyID, Name, StoreHistory) VALUES (?, ?, ?)"));
    SqliteStatement column(db, QStringLiteral("INSERT INTO PropertyColumnDescr "
                                              "(R_PropertyID, ColumnID, Name) VALUES (?, ?, ?)"));
    for (const auto& d : DeviceProperty::descriptions()) {
        descr.bind(1, d.id).bind(2, d.name).bind(3, d.storeHistory ? 1 : 0).run();
        if (!DeviceProperty::isTable(d.id))
            column.bind(1, d.id).bind(2, DeviceProperty::ValueColumn).bind(3, "Value").run();
    }
    for (const auto& c : DeviceProperty::tableColumns())
        column.bind(1, c.propertyId).bind(2, c.columnId).bind(3, c.name).run();

    // One row per offset the period expressions yield: hour of a leap year, day of year
    // from 0, week 1..53, month 1..12.
    fillYearTable(db, "YearHours", 0, 8783);
    fillYearTable(db, "YearDays", 0, 365);
    fillYearTable(db, "YearWeeks", 1, 53);
    fillYearTable(db, "YearMonths", 1, 12);

    SqliteStatement alert(
        db,
        QStringLiteral("INSERT INTO AlertTrendGroup (AlertValue, AlertTrendGroup) VALUES (?, ?)"));
    for (const auto& a : kAlertKinds)
        alert.bind(1, a.code).bind(2, a.kind).run();

    SqliteStatement setting(db, QStringLiteral("INSERT INTO Settings (Name, Value) VALUES (?, ?)"));
    for (const auto& [name, value] : SettingsWriter::mailDefaults())
        setting.bind(1, name).bind(2, value).run();
}
} // namespace

bool exists(SqliteConnection& db) {
    return db.scalarInt(QStringLiteral(
               "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Devices'")) > 0;
}

void create(SqliteConnection& db, bool withIndexes) {
    // Only a database without pages takes it. The usage reports join the history with itself
    // row by row; with 16 KiB pages each seek passes fewer pages than with 4 KiB.
    db.exec(QStringLiteral("PRAGMA page_size = 16384"));
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        db.exec(QString::fromLatin1(kTables));
        fillReferenceData(db);
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        db.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    if (withIndexes)
        createIndexes(db);
}

int missingIndexes(SqliteConnection& db) {
    static const QRegularExpression created(QStringLiteral(R"(CREATE INDEX IF NOT EXISTS (\w+))"));
    int missing = 0;
    for (auto match = created.globalMatch(QString::fromLatin1(kIndexes)); match.hasNext();) {
        const QString name = match.next().captured(1);
        missing += db.scalarInt(QStringLiteral("SELECT count(*) = 0 FROM sqlite_master WHERE "
                                               "type = 'index' AND name = '%1'")
                                    .arg(name));
    }
    return missing;
}

int createIndexes(SqliteConnection& db) {
    const auto indexCount = [&db] {
        return db.scalarInt(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index'"));
    };
    const qint64 before = indexCount();
    db.exec(QString::fromLatin1(kIndexes));
    const int created = int(indexCount() - before);
    // The planner weighs the indexes by their statistics; a new one has none yet.
    if (created > 0)
        db.exec(QStringLiteral("ANALYZE"));
    return created;
}
} // namespace FleetSchema
