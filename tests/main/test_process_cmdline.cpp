#include "ReportProcess.h"

#include "VelmVersion.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "support/CoreApplication.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A systemctl played by a shell script: it logs every call and keeps the unit's state as files.
class ScriptedSystemctl {
public:
    ScriptedSystemctl() {
        QDir(m_dir.path()).mkdir(QStringLiteral("units"));
        QFile script(program());
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n"
                     "state=\"$(dirname \"$0\")\"\n"
                     "echo \"$*\" >> \"$state/calls\"\n"
                     "case \"$1\" in\n"
                     "  is-active) test -e \"$state/active\" ;;\n"
                     "  start) test -e \"$state/units/$2\" && touch \"$state/active\" ;;\n"
                     "  stop) test -e \"$state/active\" && rm \"$state/active\" ;;\n"
                     "  *) exit 0 ;;\n"
                     "esac\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    void use(ReportProcess& process) const {
        process.environment().insert(QStringLiteral("VELM_SYSTEMCTL"), program());
        process.environment().insert(QStringLiteral("VELM_SYSTEMD_UNIT_DIR"), unitDirectory());
    }
    QString program() const { return m_dir.filePath(QStringLiteral("systemctl")); }
    QString unitDirectory() const { return m_dir.filePath(QStringLiteral("units")); }
    QString unitFile() const { return unitDirectory() + "/VELM_Report_Plugin.service"; }
    QByteArray calls() const {
        QFile f(m_dir.filePath(QStringLiteral("calls")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }
};

TEST_F(CommandLineTest, HelpAndVersionAnswerWithoutSystemd) {
    ScriptedSystemctl systemctl;
    for (const char* option : {"-h", "--help"}) {
        ReportProcess process;
        systemctl.use(process);
        ASSERT_TRUE(process.run({QString::fromLatin1(option)}));
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(process.standardOutput().startsWith(QByteArray("velm-report ") + velmVersion +
                                                        ", the service VELM_Report_Plugin\n\n" +
                                                        "velm-report -[i|u|e|t|p|r|c|v|h]"));
        EXPECT_EQ(process.standardError(), "");
    }
    ReportProcess version;
    systemctl.use(version);
    ASSERT_TRUE(version.run({QStringLiteral("--version")}));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_EQ(version.standardOutput(), QByteArray("velm-report ") + velmVersion + "\n");
    EXPECT_EQ(systemctl.calls(), "");
}

TEST_F(CommandLineTest, VersionTellsStatus) {
    ScriptedSystemctl systemctl;
    ReportProcess process;
    systemctl.use(process);
    ASSERT_TRUE(process.run({QStringLiteral("-v")}));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.standardOutput(),
              ("The service\n\tVELM_Report_Plugin\n\t" + process.executable() + "\n\tversion " +
               velmVersion + "\n\nis not installed and not running\n\n")
                  .toUtf8());
}

TEST_F(CommandLineTest, InstallTwiceThenUninstall) {
    ScriptedSystemctl systemctl;
    ReportProcess process;
    systemctl.use(process);
    ASSERT_TRUE(process.run({QStringLiteral("-install")}));
    EXPECT_EQ(process.exitCode(), 0) << process.standardError().toStdString();

    QFile unit(systemctl.unitFile());
    ASSERT_TRUE(unit.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(unit.readAll());
    const QFileInfo exe(process.executable());
    EXPECT_TRUE(text.contains("\nExecStart=\"" + exe.canonicalFilePath() + "\"\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nWorkingDirectory=" + exe.canonicalPath() + "\n"));
    EXPECT_EQ(systemctl.calls(), "daemon-reload\nenable VELM_Report_Plugin.service\n");

    ReportProcess again;
    systemctl.use(again);
    ASSERT_TRUE(again.run({QStringLiteral("-i")}));
    EXPECT_EQ(again.exitCode(), 0);
    EXPECT_EQ(again.standardError(), "The service VELM_Report_Plugin is already installed\n");

    ReportProcess status;
    systemctl.use(status);
    ASSERT_TRUE(status.run({QStringLiteral("-v")}));
    EXPECT_TRUE(status.standardOutput().endsWith("is installed and not running\n\n"));

    ReportProcess remove;
    systemctl.use(remove);
    ASSERT_TRUE(remove.run({QStringLiteral("-u")}));
    EXPECT_EQ(remove.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(systemctl.unitFile()));
    EXPECT_TRUE(
        systemctl.calls().endsWith("disable --now VELM_Report_Plugin.service\ndaemon-reload\n"));
}

TEST_F(CommandLineTest, InstallFailureExitsMinusOne) {
    ReportProcess process;
    process.environment().insert(QStringLiteral("VELM_SYSTEMD_UNIT_DIR"),
                                 QStringLiteral("/nonexistent/units"));
    ASSERT_TRUE(process.run({QStringLiteral("-i")}));
    EXPECT_EQ(process.exitCode(), 255);
    EXPECT_TRUE(process.standardError().startsWith(
        "The service VELM_Report_Plugin could not be installed\n"));
}

TEST_F(CommandLineTest, WithoutOptionAsksTheManagerToStart) {
    ScriptedSystemctl systemctl;
    ReportProcess process;
    systemctl.use(process);
    ASSERT_TRUE(process.run({}));
    EXPECT_EQ(process.exitCode(), 252); // -4: not installed, nothing to start
    EXPECT_EQ(process.standardError(), "The service VELM_Report_Plugin could not start\n");
    EXPECT_TRUE(process.standardOutput().contains("[err] The Service failed to start ["));
}

TEST_F(CommandLineTest, OnlyTheFirstArgumentCounts) {
    ScriptedSystemctl systemctl;
    ReportProcess process;
    systemctl.use(process);
    process.start({QStringLiteral("-e"), QStringLiteral("-i")});
    const int port = process.waitForListening();
    ASSERT_GT(port, 0) << process.standardOutput().toStdString();
    HttpClient().send(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)),
                      QStringLiteral("MGMTCloseApplication"),
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest "
                      "command=\"MGMTCloseApplication\">\n</VXNRequest>\n",
                      true);
    ASSERT_TRUE(process.waitForEnd());
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(systemctl.unitFile()));
    EXPECT_EQ(systemctl.calls(), "");
}

} // namespace
