#include "FleetWriter.h"

#include <charconv>

namespace {
void bindText(sqlite3_stmt* statement, int index, std::string_view text) {
    sqlite3_bind_text(statement, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
}
} // namespace

Decimal::Decimal(qint64 value) {
    const auto result = std::to_chars(m_text, m_text + sizeof m_text, value);
    m_length = int(result.ptr - m_text);
}

FleetWriter::FleetWriter(SqliteConnection& db)
    : m_db(db),
      m_history(db, QStringLiteral("INSERT INTO DevicePropertyHistory (R_DeviceID, R_PropertyID, "
                                   "R_ColumnID, RowIndex, TimeValue, Value) VALUES (?,?,?,?,?,?)")),
      m_stamp(db,
              QStringLiteral("INSERT INTO valuetimestamps (R_ValueID, TimeValue) VALUES (?,?)")),
      m_current(db, QStringLiteral("INSERT OR REPLACE INTO DevicePropertyValues (R_DeviceID, "
                                   "R_PropertyID, R_ColumnID, RowIndex, TimeValue, Value) "
                                   "VALUES (?,?,?,?,?,?)")),
      m_device(db, QStringLiteral("INSERT INTO Devices (DeviceID, R_ModelID, AddedTime) "
                                  "VALUES (?,?,?)")),
      m_membership(db, QStringLiteral("INSERT INTO DeviceInGroup (R_DeviceID, R_GroupID) "
                                      "VALUES (?,?)")),
      m_job(db, QStringLiteral("INSERT INTO JobLog (R_UserID, R_DeviceID, JobTime, JobType, "
                               "Pages, ColorMode, PrintMode, PaperSize, Staple, Destination) "
                               "VALUES (?,?,?,?,?,?,?,?,?,?)")),
      m_discovery(db, QStringLiteral("INSERT INTO Discoveries (StartTime, EndTime) VALUES (?,?)")),
      m_result(db, QStringLiteral("INSERT INTO DiscoveryResults (DeviceID, R_DiscoveryID, IP, "
                                  "IsNew) VALUES (?,?,?,?)")),
      m_upgrade(db, QStringLiteral("INSERT INTO UpgradeHistory (R_DeviceID, FwType, "
                                   "FwVersionNew, FwVersionOld, UpgradeTime) VALUES (?,?,?,?,?)")) {
}

qint64 FleetWriter::historyCell(int device, int property, int column, int row, qint64 time,
                                std::string_view value) {
    m_history.bind(1, device).bind(2, property).bind(3, column).bind(4, row).bind(5, time);
    bindText(m_history.handle(), 6, value);
    m_history.run();
    return sqlite3_last_insert_rowid(m_db.handle());
}

void FleetWriter::sampleStamp(qint64 firstValueId, qint64 time) {
    m_stamp.bind(1, firstValueId).bind(2, time).run();
}

void FleetWriter::currentCell(int device, int property, int column, int row, qint64 time,
                              std::string_view value) {
    m_current.bind(1, device).bind(2, property).bind(3, column).bind(4, row).bind(5, time);
    bindText(m_current.handle(), 6, value);
    m_current.run();
}

void FleetWriter::device(int id, int model, qint64 added) {
    m_device.bind(1, id).bind(2, model).bind(3, added).run();
}

void FleetWriter::membership(int device, int group) {
    m_membership.bind(1, device).bind(2, group).run();
}

void FleetWriter::job(int user, int device, qint64 time, std::string_view type, int pages,
                      std::string_view color, std::string_view printMode, std::string_view paper,
                      bool staple, std::string_view destination) {
    m_job.bind(1, user).bind(2, device).bind(3, time);
    bindText(m_job.handle(), 4, type);
    m_job.bind(5, pages);
    bindText(m_job.handle(), 6, color);
    bindText(m_job.handle(), 7, printMode);
    bindText(m_job.handle(), 8, paper);
    m_job.bind(9, staple ? 1 : 0);
    if (destination.empty())
        m_job.bindNull(10);
    else
        bindText(m_job.handle(), 10, destination);
    m_job.run();
}

int FleetWriter::discovery(qint64 start, qint64 end) {
    m_discovery.bind(1, start).bind(2, end).run();
    return int(sqlite3_last_insert_rowid(m_db.handle()));
}

void FleetWriter::discoveryResult(int device, int discovery, std::string_view ip, bool isNew) {
    m_result.bind(1, device).bind(2, discovery);
    bindText(m_result.handle(), 3, ip);
    m_result.bind(4, isNew ? 1 : 0).run();
}

void FleetWriter::upgrade(int device, std::string_view type, std::string_view newVersion,
                          std::string_view oldVersion, qint64 time) {
    m_upgrade.bind(1, device);
    bindText(m_upgrade.handle(), 2, type);
    bindText(m_upgrade.handle(), 3, newVersion);
    bindText(m_upgrade.handle(), 4, oldVersion);
    m_upgrade.bind(5, time).run();
}
