#include "suite/DeviceDirectory.h"
#include "suite/FleetGenerator.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class DeviceDirectoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<QTemporaryDir>();
        generateFleet(s_dir->filePath(QStringLiteral("f.db")), {10, 3, 3, 1796601600});
        s_directory = std::make_unique<DeviceDirectory>(s_dir->filePath(QStringLiteral("f.db")));
    }
    static void TearDownTestSuite() {
        s_directory.reset();
        s_dir.reset();
    }
    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline std::unique_ptr<DeviceDirectory> s_directory;
};

TEST_F(DeviceDirectoryTest, SelectsByGroupIdAndPropertyValue) {
    const auto all = s_directory->devices({}, {}, {QStringLiteral("IP")});
    ASSERT_EQ(all.size(), 10);
    const QString ip = all[3].properties.value(QStringLiteral("IP"));

    using Filter = CmdDMSGetDeviceListRequest::DeviceFilter;
    const auto byIp = s_directory->devices({}, {Filter{-1, {{QStringLiteral("IP"), ip}}}}, {});
    ASSERT_EQ(byIp.size(), 1);
    EXPECT_EQ(byIp[0].id, all[3].id);

    const auto byId = s_directory->devices({}, {Filter{7, {}}, Filter{999, {}}}, {});
    ASSERT_EQ(byId.size(), 1);
    EXPECT_EQ(byId[0].id, 7);

    // Group 1 is the first site; the last group is always empty; a non-number selects nothing.
    int members = 0;
    for (const auto& device : s_directory->devices({QStringLiteral("1")}, {}, {}))
        members += device.id > 0;
    EXPECT_GT(members, 0);
    EXPECT_LT(members, 10);
    EXPECT_TRUE(s_directory->devices({QStringLiteral("12")}, {}, {}).isEmpty());
    EXPECT_TRUE(s_directory->devices({QStringLiteral("1 OR 1=1")}, {}, {}).isEmpty());
}

TEST_F(DeviceDirectoryTest, AnswersSimpleAndTablePropertiesAsAsked) {
    using Filter = CmdDMSGetDeviceListRequest::DeviceFilter;
    const auto devices = s_directory->devices(
        {}, {Filter{2, {}}}, {QStringLiteral("zepHrDevCountTable"), QStringLiteral("HostName")});
    ASSERT_EQ(devices.size(), 1);
    const auto& device = devices[0];
    EXPECT_EQ(device.properties.keys(), QStringList{QStringLiteral("HostName")});
    const auto rows = device.tables.value(QStringLiteral("zepHrDevCountTable"));
    ASSERT_GE(rows.size(), 2);
    for (const auto& row : rows) {
        EXPECT_EQ(row.size(), 5);
        EXPECT_FALSE(row.value(QStringLiteral("zepHrDevCountJobType")).isEmpty());
        EXPECT_FALSE(row.value(QStringLiteral("zepHrDevCountValue")).isEmpty());
    }
}

TEST_F(DeviceDirectoryTest, SettingsAnswerOnlyWhatExists) {
    const auto settings = s_directory->settings(
        {QStringLiteral("SMTPServerName"), QStringLiteral("SMTPServerPort"), QStringLiteral("X")});
    EXPECT_EQ(settings.value(QStringLiteral("SMTPServerPort")), QStringLiteral("25"));
    EXPECT_FALSE(settings.contains(QStringLiteral("X")));
    EXPECT_EQ(s_directory->settings({}).size(), 7);
}
} // namespace
