#pragma once

#include "Sqlite.h"

#include <string_view>

// The prepared inserts of the fleet generator. Values are stored as text, like every
// property the device database holds.
class FleetWriter {
public:
    explicit FleetWriter(SqliteConnection& db);

    // One cell of a stored sample; answers its ValueID.
    qint64 historyCell(int device, int property, int column, int row, qint64 time,
                       std::string_view value);
    void sampleStamp(qint64 firstValueId, qint64 time);
    void currentCell(int device, int property, int column, int row, qint64 time,
                     std::string_view value);
    void device(int id, int model, qint64 added);
    void membership(int device, int group);
    void job(int user, int device, qint64 time, std::string_view type, int pages,
             std::string_view color, std::string_view printMode, std::string_view paper,
             bool staple, std::string_view destination);
    int discovery(qint64 start, qint64 end);
    void discoveryResult(int device, int discovery, std::string_view ip, bool isNew);
    void upgrade(int device, std::string_view type, std::string_view newVersion,
                 std::string_view oldVersion, qint64 time);

private:
    SqliteConnection& m_db;
    SqliteStatement m_history;
    SqliteStatement m_stamp;
    SqliteStatement m_current;
    SqliteStatement m_device;
    SqliteStatement m_membership;
    SqliteStatement m_job;
    SqliteStatement m_discovery;
    SqliteStatement m_result;
    SqliteStatement m_upgrade;
};

// Decimal text of a number without allocating.
class Decimal {
public:
    explicit Decimal(qint64 value);
    operator std::string_view() const { return {m_text, std::size_t(m_length)}; }

private:
    char m_text[24];
    int m_length;
};
