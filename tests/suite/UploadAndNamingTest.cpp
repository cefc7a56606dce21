#include "suite/NamingTable.h"
#include "suite/UploadStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
TEST(UploadStore, KeepsTheNameUnderAUniquePathBelowTheRoot) {
    QTemporaryDir root;
    const UploadStore store(root.path());
    const auto first = store.store(QStringLiteral("Report 1.html"), QByteArray("<p>x</p>"));
    const auto second = store.store(QStringLiteral("Report 1.html"), QByteArray("other"));
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    ASSERT_TRUE(second.ok);
    EXPECT_NE(first.path, second.path);
    EXPECT_TRUE(first.path.endsWith(QStringLiteral("/Report 1.html")));
    EXPECT_FALSE(first.path.startsWith(QLatin1Char('/')));
    QFile file(root.filePath(first.path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("<p>x</p>"));
    EXPECT_TRUE(store.store(QStringLiteral("empty.gif"), QByteArray()).ok);
}

TEST(UploadStore, RefusesNamesThatCouldLeaveItsDirectory) {
    QTemporaryDir root;
    const UploadStore store(root.path());
    for (const char* name :
         {"../x.html", "a/b.html", "a\\b.html", "..", ".", "", "x..y", "/etc/passwd", "c:evil"}) {
        const auto outcome = store.store(QString::fromLatin1(name), QByteArray("data"));
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_FALSE(outcome.error.isEmpty()) << name;
    }
    EXPECT_TRUE(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// Dates a directory back by `age`, as if it had been written then.
void ageDirectory(const QString& path, std::chrono::hours age) {
    const std::filesystem::path directory(path.toStdString());
    std::filesystem::last_write_time(directory, std::filesystem::last_write_time(directory) - age);
}

TEST(UploadStore, RemovesItsOwnUploadsOnceTheyAreOlderThanTheRetention) {
    QTemporaryDir root;
    const UploadStore store(root.path(), {std::chrono::hours(24), std::chrono::seconds(0)});
    const auto old = store.store(QStringLiteral("chart.gif"), QByteArray("GIF89a"));
    const auto recent = store.store(QStringLiteral("report.csv"), QByteArray("a;b"));
    ASSERT_TRUE(old.ok && recent.ok);
    const QString oldDirectory = root.filePath(QFileInfo(old.path).path());
    ageDirectory(oldDirectory, std::chrono::hours(25));
    ageDirectory(root.filePath(QFileInfo(recent.path).path()), std::chrono::hours(23));
    // Whatever else lies below temp/ is not the store's to remove.
    const QString foreign = root.filePath(QStringLiteral("temp/keep-me"));
    ASSERT_TRUE(QDir().mkpath(foreign));
    ageDirectory(foreign, std::chrono::hours(100));

    const auto next = store.store(QStringLiteral("next.html"), QByteArray("<p/>"));
    ASSERT_TRUE(next.ok);
    EXPECT_FALSE(QDir(oldDirectory).exists());
    EXPECT_TRUE(QFile::exists(root.filePath(recent.path)));
    EXPECT_TRUE(QFile::exists(root.filePath(next.path)));
    EXPECT_TRUE(QDir(foreign).exists());
}

TEST(NamingTable, TheLaterRegistrationWins) {
    NamingTable table;
    table.registerService(QStringLiteral("http://a:1/"),
                          {QStringLiteral("RGPGenerateReport"), QStringLiteral("SchRegister")});
    table.registerService(QStringLiteral("http://b:2/"), {QStringLiteral("SchRegister")});
    EXPECT_EQ(table.find(QStringLiteral("RGPGenerateReport")), QStringLiteral("http://a:1/"));
    EXPECT_EQ(table.find(QStringLiteral("SchRegister")), QStringLiteral("http://b:2/"));
    EXPECT_EQ(table.find(QStringLiteral("Unknown")), QString());
}

TEST(NamingTable, RegistrationsKeptInTheDatabaseOutliveTheTable) {
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("names.db"));
    {
        NamingTable table;
        table.keepIn(database, 1000);
        table.registerService(QStringLiteral("http://a:1/"),
                              {QStringLiteral("RGPGenerateReport"), QStringLiteral("SchRegister")});
        table.registerService(QStringLiteral("http://b:2/"), {QStringLiteral("SchRegister")});
    }
    NamingTable restarted;
    // Registered before the kept ones are read: the newer registration stays.
    restarted.registerService(QStringLiteral("http://c:3/"), {QStringLiteral("RGPGenerateReport")});
    restarted.keepIn(database, 1000);
    EXPECT_EQ(restarted.find(QStringLiteral("RGPGenerateReport")), QStringLiteral("http://c:3/"));
    EXPECT_EQ(restarted.find(QStringLiteral("SchRegister")), QStringLiteral("http://b:2/"));
    EXPECT_EQ(restarted.size(), 2);

    // A table only in memory keeps nothing.
    NamingTable memory;
    memory.registerService(QStringLiteral("http://d:4/"), {QStringLiteral("SchRegister")});
    NamingTable again;
    again.keepIn(database, 1000);
    EXPECT_EQ(again.find(QStringLiteral("SchRegister")), QStringLiteral("http://b:2/"));
}
} // namespace
