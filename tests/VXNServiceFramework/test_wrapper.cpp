#include "VXNServiceFramework/control/ServiceWrapper.h"
#include "VXNServiceFramework/control/SystemdBackend.h"
#include "VelmVersion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

namespace {

// Plays the service manager: remembers what it was asked and answers as the test sets it.
struct ManagerState {
    bool installed = false;
    bool running = false;
    bool launched = false;
    bool failNext = false;
    QString installedExecutable;
    QStringList calls;
};

class ScriptedBackend : public ServiceBackend {
public:
    explicit ScriptedBackend(ManagerState& state) : m_state(state) {}

    bool isInstalled() override { return m_state.installed; }
    bool isRunning() override { return m_state.running; }
    bool install(const QString& executable) override {
        m_state.calls << QStringLiteral("install");
        if (fail()) {
            return false;
        }
        m_state.installed = true;
        m_state.installedExecutable = executable;
        return true;
    }
    bool uninstall() override {
        m_state.calls << QStringLiteral("uninstall");
        if (fail()) {
            return false;
        }
        m_state.installed = false;
        return true;
    }
    bool start(const QStringList& arguments) override {
        m_state.calls << QStringLiteral("start ") + arguments.join(' ');
        return m_state.installed && !fail();
    }
    bool stop() override {
        m_state.calls << QStringLiteral("stop");
        return m_state.running && !fail();
    }
    bool pause() override { return record(QStringLiteral("pause")); }
    bool resume() override { return record(QStringLiteral("resume")); }
    bool sendCommand(int code) override { return record(QStringLiteral("command %1").arg(code)); }
    bool launchedByManager() override { return m_state.launched; }
    QString errorString() const override { return QStringLiteral("access denied"); }

private:
    bool fail() { return std::exchange(m_state.failNext, false); }
    bool record(const QString& call) {
        m_state.calls << call;
        return true;
    }
    ManagerState& m_state;
};

// A service whose start either ends the run at once with a code or waits for a signal.
class TestService : public ServiceWrapper<QCoreApplication> {
public:
    using ServiceWrapper::ServiceWrapper;
    int exitCode = 0;
    int raiseSignal = 0;
    QStringList events;
    QStringList applicationArguments;

protected:
    void start() override {
        events << QStringLiteral("start");
        applicationArguments = QCoreApplication::arguments();
        if (raiseSignal != 0) {
            QTimer::singleShot(0, [this] { std::raise(raiseSignal); });
            // The run must not end any other way.
            QTimer::singleShot(10000, [this] { quitApplication(99); });
        } else {
            quitApplication(exitCode);
        }
    }
    void stop() override { events << QStringLiteral("stop"); }
};

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

class WrapperTest : public ::testing::Test {
protected:
    Outcome run(std::vector<std::string> args, TestService** keep = nullptr) {
        args.insert(args.begin(), "/opt/velm/bin/velm-report");
        argv.clear();
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        argc = static_cast<int>(args.size());
        service = std::make_unique<TestService>(argc, argv.data(), QStringLiteral("VELM_Test"));
        service->exitCode = exitCode;
        service->raiseSignal = raiseSignal;
        service->setBackend(std::make_unique<ScriptedBackend>(state));
        std::ostringstream out;
        std::ostringstream err;
        service->setOutput(out, err);
        const int code = service->exec();
        if (keep) {
            *keep = service.get();
        }
        return {code, out.str(), err.str()};
    }

    ManagerState state;
    int exitCode = 0;
    int raiseSignal = 0;
    std::unique_ptr<TestService> service;
    std::vector<char*> argv;
    int argc = 0;
};

TEST_F(WrapperTest, HelpListsTheOptionsActedOnAndVersionNeedsNoManager) {
    for (const char* option : {"-h", "-help", "--help"}) {
        const Outcome r = run({option});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(
            r.out.rfind(std::string("velm-report ") + velmVersion + ", the service VELM_Test\n", 0),
            0u)
            << r.out;
        EXPECT_NE(r.out.find("velm-report -[i|u|e|t|p|r|c|v|h]"), std::string::npos) << r.out;
        for (const char* listed :
             {"\t-i(nstall)", "\t-u(ninstall)", "\t-e(xec)", "\t-t(erminate)", "\t-p(ause)",
              "\t-r(esume)", "\t-c(ommand) N", "\t-v(ersion)", "\t-h(elp)", "\t--version"})
            EXPECT_NE(r.out.find(listed), std::string::npos) << listed;
        EXPECT_EQ(r.out.find("-s"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("velm-report ") + velmVersion + "\n");
    // Neither asked the service manager anything, let alone to start the service.
    EXPECT_TRUE(state.calls.isEmpty()) << state.calls.join(',').toStdString();
}

TEST_F(WrapperTest, VersionTellsInstalledAndRunning) {
    struct Case {
        bool installed, running;
        const char* status;
    };
    for (const Case& c : {Case{false, false, "is not installed and not running"},
                          Case{true, false, "is installed and not running"},
                          Case{true, true, "is installed and running"}}) {
        state.installed = c.installed;
        state.running = c.running;
        const Outcome r = run({"-v"});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, std::string("The service\n\tVELM_Test\n\t/opt/velm/bin/velm-report\n"
                                     "\tversion ") +
                             velmVersion + "\n\n" + c.status + "\n\n");
    }
}

TEST_F(WrapperTest, InstallTwiceReportsAlreadyInstalled) {
    const Outcome first = run({"-install"});
    EXPECT_EQ(first.code, 0);
    EXPECT_TRUE(state.installed);
    EXPECT_TRUE(QFileInfo(state.installedExecutable).isAbsolute());
    const Outcome second = run({"-i"});
    EXPECT_EQ(second.code, 0);
    EXPECT_EQ(second.err, "The service VELM_Test is already installed\n");
    EXPECT_EQ(state.calls, QStringList{QStringLiteral("install")});
}

TEST_F(WrapperTest, InstallAndUninstallFailures) {
    state.failNext = true;
    Outcome r = run({"-i"});
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.err.rfind("The service VELM_Test could not be installed\n", 0), 0u) << r.err;

    r = run({"-u"});
    EXPECT_EQ(r.err, "The service VELM_Test is not installed\n");

    state.installed = true;
    state.failNext = true;
    r = run({"-uninstall"});
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.err, "The service VELM_Test could not be uninstalled\n"
                     "Reason for failure: access denied\n");
    EXPECT_TRUE(state.installed);

    r = run({"-u"});
    EXPECT_EQ(r.code, 0);
    EXPECT_FALSE(state.installed);
}

TEST_F(WrapperTest, ControlsReachTheManager) {
    state.installed = state.running = true;
    EXPECT_EQ(run({"-t"}).code, 0);
    EXPECT_EQ(run({"-p"}).code, 0);
    EXPECT_EQ(run({"-resume"}).code, 0);
    EXPECT_EQ(run({"-c"}).code, 0);
    EXPECT_EQ(run({"-command", "130"}).code, 0);
    EXPECT_EQ(state.calls, (QStringList{"stop", "pause", "resume", "command 0", "command 130"}));

    state.running = false;
    const Outcome r = run({"-terminate"});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(r.err, "The service could not be stopped.\n");
}

TEST_F(WrapperTest, ExecRunsInConsoleWithoutTheOption) {
    TestService* s = nullptr;
    const Outcome r = run({"-e", "-i", "x"}, &s);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(s->events, QStringList{"start"}); // no stop: the loop ended on its own
    EXPECT_EQ(s->applicationArguments, (QStringList{"/opt/velm/bin/velm-report", "-i", "x"}));
    EXPECT_TRUE(state.calls.isEmpty()); // -i after -e is not an install
}

TEST_F(WrapperTest, ExecFailureWarns) {
    exitCode = 3;
    const Outcome r = run({"-exec"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err, "The service could not be started.\n");
}

TEST_F(WrapperTest, StopSignalsRunTheStopSequence) {
    for (int sig : {SIGTERM, SIGINT}) {
        raiseSignal = sig;
        TestService* s = nullptr;
        const Outcome r = run({"-e"}, &s);
        EXPECT_EQ(r.code, 0) << sig;
        EXPECT_EQ(s->events, (QStringList{"start", "stop"})) << sig;
    }
}

TEST_F(WrapperTest, ServiceRunByManagerStopsOnSigterm) {
    state.launched = true;
    raiseSignal = SIGTERM;
    TestService* s = nullptr;
    EXPECT_EQ(run({}, &s).code, 0);
    EXPECT_EQ(s->events, (QStringList{"start", "stop"}));
}

TEST_F(WrapperTest, ServiceRunByHandAsksTheManager) {
    Outcome r = run({"--anything", "b"});
    EXPECT_EQ(r.code, -4);
    EXPECT_EQ(r.err, "The service VELM_Test could not start\n");

    state.installed = true;
    r = run({});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(state.calls.last(), QStringLiteral("start "));
}

} // namespace

namespace {

TEST(SystemdUnit, RunsTheExecutableFromItsDirectory) {
    const QString unit = QString::fromUtf8(
        SystemdBackend::unitText(QStringLiteral("VELM_Test"), "/opt/my dir/100%/velm-report"));
    // Quoted for blanks, '%' doubled so systemd does not expand it.
    EXPECT_TRUE(unit.contains("\nExecStart=\"/opt/my dir/100%%/velm-report\"\n"))
        << qPrintable(unit);
    EXPECT_TRUE(unit.contains("\nWorkingDirectory=/opt/my dir/100%%\n"));
    EXPECT_TRUE(unit.contains("\nDescription=VELM_Test\n"));
    EXPECT_TRUE(unit.contains("\n[Install]\nWantedBy=multi-user.target\n"));
}

} // namespace
