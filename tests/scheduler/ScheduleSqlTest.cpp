#include "scheduler/ScheduleSql.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QVector>
#include <memory>

namespace {

ScheduleItem sampleItem() {
    ScheduleItem item;
    item.scheduleId = 3;
    item.startTime = localFromSeconds(1780000000);
    item.intervalType = OccurDaily;
    item.intervalValue = 2;
    item.commandToSend = QStringLiteral("<VXNRequest command=\"RGPX\">it's</VXNRequest>");
    item.tag = QStringLiteral("Autosend");
    item.permanent = true;
    return item;
}

TEST(ScheduleSql, StatementsHaveTheirFixedForm) {
    const ScheduleItem item = sampleItem();
    EXPECT_EQ(insertStatement(QStringLiteral("RG"), item),
              QStringLiteral("INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, "
                             "IntervalType, IntervalValue, StopTime, CommandToSend, Tag) "
                             "VALUES(\"RG\", 3, 1780000000, 2, 2, 0, \"<VXNRequest "
                             "command=&quot;RGPX&quot;>it&apos;s</VXNRequest>\", \"Autosend\");"));
    ScheduleItem stopped = item;
    stopped.stopTime = localFromSeconds(1790000000);
    EXPECT_EQ(updateStatement(QStringLiteral("RG"), stopped),
              QStringLiteral("UPDATE Scheduler SET StartTime = 1780000000, IntervalType = 2, "
                             "IntervalValue = 2, StopTime = 1790000000, CommandToSend = "
                             "\"<VXNRequest command=&quot;RGPX&quot;>it&apos;s</VXNRequest>\", "
                             "Tag = \"Autosend\" WHERE ServiceName=\"RG\" AND ScheduleID=3;"));
    EXPECT_EQ(deleteStatement(QStringLiteral("RG"), 3),
              QStringLiteral("DELETE FROM Scheduler WHERE ServiceName=\"RG\" AND ScheduleID=3;"));
    EXPECT_EQ(loadStatement(),
              QStringLiteral("SELECT GlobalID, ServiceName, ScheduleID, StartTime, IntervalType, "
                             "IntervalValue, StopTime, CommandToSend, Tag FROM Scheduler ORDER "
                             "BY ServiceName, ScheduleID;"));
}

TEST(ScheduleSql, StoredTextEscaping) {
    EXPECT_EQ(escapeStoredText(QStringLiteral("a'b\"c")), QStringLiteral("a&apos;b&quot;c"));
    EXPECT_EQ(unescapeStoredText(QStringLiteral("a&apos;b&quot;c")), QStringLiteral("a'b\"c"));
    // Texts that look like the stored form, or like its mark, come back as they were.
    for (const char* text : {"&quot;", "&apos;", "x&apos;'&quot;\"", "&'", "&&apos;", "&'apos;",
                             "&amp;apos;", "&&quot", "&", "a & b &amp; c", "&apos", "'&'"}) {
        const QString original = QString::fromUtf8(text);
        EXPECT_EQ(unescapeStoredText(escapeStoredText(original)), original) << text;
    }
}

TEST(ScheduleSql, RowsOfEarlierVersionsReadAsBefore) {
    // Written by the plain replacement (' then "), read back by it.
    const auto earlier = [](QString text) {
        return text.replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    };
    for (const char* stored : {"a&apos;b&quot;c", "&amp;apos; &amp;quot;", "&&apos;quot;",
                               "&apos;&quot;&apos;", "<x a=&quot;&amp;&quot;/>", "&ap&apos;os;"}) {
        const QString text = QString::fromUtf8(stored);
        EXPECT_EQ(unescapeStoredText(text), earlier(text)) << stored;
    }
    // Texts without the sequences are stored exactly as earlier versions stored them.
    const QString plain = QStringLiteral("<VXNRequest command=\"X\">it's &amp; more</VXNRequest>");
    EXPECT_EQ(escapeStoredText(plain), QString(plain)
                                           .replace(QLatin1Char('\''), QStringLiteral("&apos;"))
                                           .replace(QLatin1Char('"'), QStringLiteral("&quot;")));
}

TEST(ScheduleSql, QuotedTextsCannotEndTheLiteral) {
    EXPECT_EQ(storedTextLiteral(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    EXPECT_EQ(storedTextLiteral(QStringLiteral("x'")), QStringLiteral("\"x'\""));
    // A double-quoted column name would be read as that column.
    EXPECT_EQ(storedTextLiteral(QStringLiteral("Tag")), QStringLiteral("'Tag'"));
    EXPECT_EQ(storedTextLiteral(QStringLiteral("rowId")), QStringLiteral("'rowId'"));
}

TEST(ScheduleSql, PlaceholdersInValuesAreNotSubstituted) {
    ScheduleItem item = sampleItem();
    item.commandToSend = QStringLiteral("%8 and %1");
    item.tag = QStringLiteral("%2");
    const QString sql = insertStatement(QStringLiteral("%7"), item);
    EXPECT_TRUE(sql.endsWith(QStringLiteral("VALUES(\"%7\", 3, 1780000000, 2, 2, 0, \"%8 and "
                                            "%1\", \"%2\");")))
        << sql.toStdString();
}

TEST(ScheduleSql, ItemFromRow) {
    SqlRow row{{QStringLiteral("GlobalID"), QStringLiteral("17")},
               {QStringLiteral("ServiceName"), QStringLiteral("RG")},
               {QStringLiteral("ScheduleID"), QStringLiteral("4")},
               {QStringLiteral("StartTime"), QStringLiteral("1780000000")},
               {QStringLiteral("IntervalType"), QStringLiteral("x")},
               {QStringLiteral("IntervalValue"), QStringLiteral("3")},
               {QStringLiteral("StopTime"), QStringLiteral("0")},
               {QStringLiteral("CommandToSend"), QStringLiteral("a&apos;b&quot;")},
               {QStringLiteral("Tag"), QStringLiteral("t")}};
    const auto loaded = itemFromRow(row);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->serviceName, QStringLiteral("RG"));
    EXPECT_EQ(loaded->item.scheduleId, 4);
    EXPECT_EQ(loaded->item.intervalType, OccurOnce);
    EXPECT_EQ(loaded->item.intervalValue, 3);
    EXPECT_EQ(secondsOf(loaded->item.startTime), 1780000000);
    EXPECT_FALSE(loaded->item.stopTime);
    EXPECT_FALSE(loaded->item.nextTime);
    EXPECT_EQ(loaded->item.commandToSend, QStringLiteral("a'b\""));
    EXPECT_TRUE(loaded->item.permanent);

    row.insert(QStringLiteral("ServiceName"), QString());
    EXPECT_FALSE(itemFromRow(row));
}

// The statements against a real SQLite table of the same shape as the database service's.
class SqliteTable : public testing::Test {
protected:
    void SetUp() override {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
        m_db.reset(raw);
        ASSERT_TRUE(exec(QStringLiteral(
            "CREATE TABLE Scheduler (GlobalID INTEGER PRIMARY KEY AUTOINCREMENT, ServiceName TEXT "
            "NOT NULL, ScheduleID INTEGER NOT NULL, StartTime INTEGER NOT NULL, IntervalType "
            "INTEGER NOT NULL, IntervalValue INTEGER NOT NULL, StopTime INTEGER NOT NULL DEFAULT "
            "0, CommandToSend TEXT, Tag TEXT);")));
    }

    bool exec(const QString& sql) {
        char* error = nullptr;
        const int rc = sqlite3_exec(m_db.get(), sql.toUtf8().constData(), nullptr, nullptr, &error);
        sqlite3_free(error);
        return rc == SQLITE_OK;
    }

    QVector<LoadedItem> load() {
        QVector<SqlRow> rows;
        const auto collect = [](void* out, int n, char** values, char** names) {
            SqlRow row;
            for (int i = 0; i < n; ++i)
                row.insert(QString::fromUtf8(names[i]),
                           QString::fromUtf8(values[i] ? values[i] : ""));
            static_cast<QVector<SqlRow>*>(out)->append(row);
            return 0;
        };
        EXPECT_EQ(
            sqlite3_exec(m_db.get(), loadStatement().toUtf8().constData(), collect, &rows, nullptr),
            SQLITE_OK);
        QVector<LoadedItem> items;
        for (const SqlRow& row : rows) {
            if (auto loaded = itemFromRow(row))
                items.append(*loaded);
        }
        return items;
    }

    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close(db); }
    };
    std::unique_ptr<sqlite3, Closer> m_db;
};

TEST_F(SqliteTable, HostileTextsRoundTripUnchanged) {
    ScheduleItem item = sampleItem();
    item.commandToSend =
        QStringLiteral("<a b='1' c=\"2\">'); DROP TABLE Scheduler; -- &apos;&quot;&'</a>");
    item.tag = QStringLiteral("it's \"tagged\" &quot;");
    const QString service = QStringLiteral("R\"G'); DELETE FROM Scheduler; --");
    ASSERT_TRUE(exec(insertStatement(service, item)));
    auto items = load();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].serviceName, service);
    EXPECT_EQ(items[0].item.commandToSend, item.commandToSend);
    EXPECT_EQ(items[0].item.tag, item.tag);

    item.commandToSend = QStringLiteral("changed \"");
    ASSERT_TRUE(exec(updateStatement(service, item)));
    items = load();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].item.commandToSend, item.commandToSend);

    ASSERT_TRUE(exec(deleteStatement(service, item.scheduleId)));
    EXPECT_TRUE(load().isEmpty());
}

TEST_F(SqliteTable, ColumnNamedTextsStayTexts) {
    // A service called like a column must touch only its own rows, and a tag called like a
    // column must be stored as that text.
    ScheduleItem item = sampleItem();
    ASSERT_TRUE(exec(insertStatement(QStringLiteral("RG"), item)));
    item.tag = QStringLiteral("CommandToSend");
    ASSERT_TRUE(exec(insertStatement(QStringLiteral("ServiceName"), item)));
    ASSERT_TRUE(exec(updateStatement(QStringLiteral("ServiceName"), item)));
    ASSERT_TRUE(exec(deleteStatement(QStringLiteral("ServiceName"), item.scheduleId)));
    const auto items = load();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].serviceName, QStringLiteral("RG"));
    EXPECT_EQ(items[0].item.tag, QStringLiteral("Autosend"));
}

TEST_F(SqliteTable, UpdatedTagNamedLikeAColumnIsStoredAsText) {
    ScheduleItem item = sampleItem();
    ASSERT_TRUE(exec(insertStatement(QStringLiteral("RG"), item)));
    item.tag = QStringLiteral("commandtosend");
    ASSERT_TRUE(exec(updateStatement(QStringLiteral("RG"), item)));
    const auto items = load();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].item.tag, QStringLiteral("commandtosend"));
}

} // namespace
