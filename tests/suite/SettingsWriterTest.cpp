#include "suite/SettingsWriter.h"
#include "suite/DeviceDirectory.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SettingsWriterTest, AssignmentsSplitAtTheFirstEqualsSign) {
    using SettingsWriter::parseAssignment;
    EXPECT_EQ(parseAssignment("SMTPServerPort=2525"),
              SettingsWriter::Setting("SMTPServerPort", "2525"));
    EXPECT_EQ(parseAssignment("SMTPServerPassword=a=b"),
              SettingsWriter::Setting("SMTPServerPassword", "a=b"));
    EXPECT_EQ(parseAssignment("SMTPServerLogin="), SettingsWriter::Setting("SMTPServerLogin", ""));
    EXPECT_EQ(parseAssignment("=value"), std::nullopt);
    EXPECT_EQ(parseAssignment("SMTPServerName"), std::nullopt);
}

// A port, time-out or flag the mail cannot use is refused before anything is written.
TEST(SettingsWriterTest, MailNumbersOutOfRangeAreRefused) {
    using SettingsWriter::refusal;
    for (const auto& [name, value] : {std::pair{"SMTPServerPort", "abc"},
                                      {"SMTPServerPort", "0"},
                                      {"SMTPServerPort", "65536"},
                                      {"SMTPServerConnectionTimeout", "-1"},
                                      {"SMTPRequiresAuthentication", "yes"}})
        EXPECT_TRUE(refusal({name, value}).has_value()) << name << "=" << value;
    for (const auto& [name, value] : {std::pair{"SMTPServerPort", "2525"},
                                      {"SMTPServerConnectionTimeout", "30"},
                                      {"SMTPRequiresAuthentication", "1"},
                                      {"SMTPServerName", ""},
                                      {"Custom", "abc"}})
        EXPECT_EQ(refusal({name, value}), std::nullopt) << name << "=" << value;
}

TEST(SettingsWriterTest, WritesIntoANewDatabaseAndReplacesEarlierValues) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.db");
    SettingsWriter::write(path, {{"SMTPServerName", "127.0.0.1"}, {"ReplyAddress", "a@b"}});
    SettingsWriter::write(
        path, {{"SMTPServerPort", "2525"}, {"ReplyAddress", "Berichte <r@b>"}, {"Custom", "x'y"}});

    const DeviceDirectory directory(path);
    const QMap<QString, QString> settings = directory.settings({});
    EXPECT_EQ(settings.value("SMTPServerName"), "127.0.0.1");
    EXPECT_EQ(settings.value("SMTPServerPort"), "2525");
    EXPECT_EQ(settings.value("ReplyAddress"), "Berichte <r@b>");
    EXPECT_EQ(settings.value("Custom"), "x'y");
    // Defaults of the new database that nothing replaced stay.
    EXPECT_EQ(settings.value("SMTPRequiresAuthentication"), "0");
}

} // namespace
