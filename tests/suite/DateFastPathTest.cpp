#include "ZoneForTest.h"
#include "suite/DateFunctionMemo.h"
#include "suite/Sqlite.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
// Runs every query on a connection with the engine's date functions and on one with SQLite's
// own, and compares the answers cell by cell.
class DateFastPathTest : public ::testing::Test {
protected:
    void SetUp() override { DateFunctionMemo::install(ours.handle()); }

    // The number of rows compared.
    int compare(const QString& query) {
        SqliteStatement mine(ours, query);
        SqliteStatement own(plain, query);
        int rows = 0;
        for (; own.step(); ++rows) {
            EXPECT_TRUE(mine.step()) << "row " << rows;
            for (int column = 0; column < own.columnCount(); ++column) {
                const QString expected =
                    own.isNull(column) ? QStringLiteral("<null>") : own.text(column);
                const QString actual =
                    mine.isNull(column) ? QStringLiteral("<null>") : mine.text(column);
                if (actual != expected) {
                    ADD_FAILURE() << own.columnName(column).toStdString() << " of row " << rows
                                  << " (" << own.text(0).toStdString()
                                  << "): " << actual.toStdString() << " instead of "
                                  << expected.toStdString();
                    return rows;
                }
            }
        }
        EXPECT_FALSE(mine.step());
        return rows;
    }

    SqliteConnection ours{QStringLiteral(":memory:")};
    SqliteConnection plain{QStringLiteral(":memory:")};
};

// Instants from 1969 to 2038 (where SQLite stops asking the C library) in zones with summer
// time in either half of the year, with a half-hour change and with a quarter-hour offset;
// each as local date and time, and every part of that text the reports ask for.
TEST_F(DateFastPathTest, LocalTimesAndTheirPartsAsSQLitesOwnInEveryZone) {
    const QString query = QStringLiteral(
        "WITH RECURSIVE s(t) AS (SELECT -15000000 UNION ALL SELECT t + 20011 FROM s "
        "WHERE t < 2170000000), "
        "edges(t) AS (SELECT column1 + d FROM (VALUES (31536000), (2145916800), (1206838800), "
        "(1224982800)), (SELECT -1 AS d UNION ALL SELECT 0 UNION ALL SELECT 1)), "
        "l(t, x) AS (SELECT t, datetime(t, 'unixepoch', 'localtime') FROM (SELECT t FROM s "
        "UNION ALL SELECT t FROM edges)) "
        "SELECT t, x, date(t, 'unixepoch', 'localtime') AS d, strftime('%Y', x) AS y, "
        "strftime('%j', x) AS j, strftime('%m', x) AS m, strftime('%d', x) AS dd, "
        "strftime('%H', x) AS h, strftime('%Y-%m', x) AS ym, "
        "strftime('%Y', x) * 10000 + strftime('%j', x) - 1 AS code, "
        "strftime('%M:%S', x) AS ms FROM l");
    for (const char* zone :
         {"Europe/Berlin", "America/Sao_Paulo", "Australia/Lord_Howe", "Asia/Kathmandu", "UTC"}) {
        SCOPED_TRACE(zone);
        const ZoneForTest local(zone);
        EXPECT_GT(compare(query), 100000);
    }
}

// Calls of almost the everyday shape, which SQLite reads its own way (a day past the month's
// end carried over, hour 24, other separators, other modifiers, text and real instants, a
// leading blank), answered exactly as SQLite answers them.
TEST_F(DateFastPathTest, NearlyEverydayCallsAnswerAsSQLitesOwn) {
    const ZoneForTest local("Europe/Berlin");
    const QStringList texts = {
        "2026-02-30 10:00:00",  "2024-02-29 24:00:00",   "2023-02-29 00:00:00",
        "2026-13-01 00:00:00",  "2026-00-10 00:00:00",   "2026-01-00 00:00:00",
        "2026-01-01 23:60:00",  "2026-01-01 00:00:60",   " 2026-01-01 00:00:00",
        "2026-01-01T00:00:00",  "2026-01-01 00:00:00.5", "2026-01-01 00:00",
        "0000-01-01 00:00:00",  "0001-03-01 12:00:00",   "9999-12-31 23:59:59",
        "2026-1-01 00:00:00",   "2026-01-01 0:00:00",    "20260101 00:00:00",
        "2026-01-01 00:00:00Z", "1600-12-31 00:00:00"};
    QStringList values;
    for (const QString& text : texts)
        values << QStringLiteral("('%1')").arg(text);
    const QString query =
        QStringLiteral("SELECT v.column1, f.column1, strftime(f.column1, v.column1) FROM (VALUES "
                       "%1) v, (VALUES ('%Y'), ('%j'), ('%W'), ('%'), ('%%'), ('x%Yy'), ('%s'), "
                       "('%Y-%m-%d %H:%M:%S'), ('')) f")
            .arg(values.join(QLatin1Char(',')));
    EXPECT_EQ(compare(query), texts.size() * 9);
    EXPECT_EQ(compare(QStringLiteral(
                  "SELECT v.column1, datetime(v.column1, m.column1, 'localtime'), "
                  "date(v.column1, m.column1, 'localtime'), datetime(v.column1, m.column1), "
                  "datetime(v.column1, 'unixepoch', m.column2) FROM (VALUES (1234567890), "
                  "('1234567890'), (1234567890.5), (-86400), (31535999), (2145916799), "
                  "(2145916800), (253402300799), (NULL), ('x')) v, (VALUES ('unixepoch', "
                  "'localtime'), ('UNIXEPOCH', 'LOCALTIME'), ('unixepoch', 'utc'), "
                  "('auto', 'localtime')) m")),
              10 * 4);
}

// Every day of three centuries, each month's end included, as day of the year.
TEST_F(DateFastPathTest, DayOfYearForEveryDayAsSQLitesOwn) {
    EXPECT_EQ(compare(QStringLiteral(
                  "WITH RECURSIVE d(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM d WHERE n < "
                  "109572), x(s) AS (SELECT datetime('1900-01-01 13:45:07', '+' || n || ' "
                  "days') FROM d) SELECT s, strftime('%j', s), strftime('%Y%m%d', s) FROM x")),
              109573);
}
} // namespace
