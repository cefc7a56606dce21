#include "captured_log.h"

#include "VXNServiceFramework/app/Application.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "support/CoreApplication.h"

#include <QDeadlineTimer>
#include <QSemaphore>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// What the test services did, in order.
QStringList& journal() {
    static QStringList events;
    return events;
}
QMutex journalLock;
void note(const QString& event) {
    QMutexLocker lock(&journalLock);
    journal() << event;
}

// A service whose name is its first template argument's text; it answers its name for every
// command it registers.
class NamedService : public Service {
public:
    NamedService(QString name, const QStringList& commands) : m_name(std::move(name)) {
        for (const QString& command : commands) {
            addHandler(command, this, &NamedService::answer);
        }
        setDrainPollInterval(std::chrono::milliseconds(5));
        note("create " + m_name);
    }
    ~NamedService() override { note("delete " + m_name); }
    void onStart() override { note("start " + m_name); }

    std::unique_ptr<ResponsePacket> answer(RequestPacket&) {
        return std::make_unique<ResponsePacket>(0, m_name);
    }

private:
    QString m_name;
};

struct Alpha : NamedService {
    Alpha() : NamedService("Alpha", {"Shared", "OnlyAlpha"}) {}
};
struct Zulu : NamedService {
    Zulu() : NamedService("Zulu", {"Shared", "OnlyZulu"}) {}
};

// Blocks each request until released.
QSemaphore entered;
QSemaphore release;
struct Blocking : NamedService {
    Blocking() : NamedService("Blocking", {"Probe"}) {
        addHandler(QStringLiteral("Block"), this, &Blocking::block);
    }
    std::unique_ptr<ResponsePacket> block(RequestPacket&) {
        entered.release();
        release.acquire();
        return std::make_unique<ResponsePacket>(0, QStringLiteral("done"));
    }
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureCoreApplication();
        QMutexLocker lock(&journalLock);
        journal().clear();
    }

    QString detailsOf(const QString& command) {
        std::unique_ptr<Packet> response = app.host().route(command, QByteArray());
        return response ? QString::number(response->result()) + " " + response->details()
                        : QStringLiteral("none");
    }

    char arg0[16] = "velm-report";
    char* argv[2] = {arg0, nullptr};
    int argc = 1;
    Application app{argc, argv, QStringLiteral("VELM_Test"), QString()};
    CapturedLog log; // after the application, whose construction installs the log output
};

TEST_F(ApplicationTest, LaterServiceNameWinsASharedCommand) {
    // Added in the other order: the map follows the names, not the order of adding.
    app.addService("Zulu", std::make_unique<ServiceFactory<Zulu>>());
    app.addService("Alpha", std::make_unique<ServiceFactory<Alpha>>());
    app.startService("Alpha");
    EXPECT_EQ(detailsOf("Shared"), "0 Alpha");
    app.startService("Zulu");
    EXPECT_EQ(detailsOf("Shared"), "0 Zulu");
    EXPECT_EQ(detailsOf("OnlyAlpha"), "0 Alpha");
    EXPECT_EQ(app.commands(), (QStringList{"OnlyAlpha", "OnlyZulu", "Shared"}));
    EXPECT_EQ(detailsOf("Unknown"), "none");
}

TEST_F(ApplicationTest, StoppedServiceAnswersPausedUntilStartedAgain) {
    app.addService("Alpha", std::make_unique<ServiceFactory<Alpha>>());
    app.addService("Zulu", std::make_unique<ServiceFactory<Zulu>>());
    app.startService("Alpha");
    app.startService("Zulu");
    app.stopService("Zulu");
    EXPECT_FALSE(app.isServiceRunning("Zulu"));
    // The map keeps the entries of a stopped service; nothing reaches the deleted object. A
    // command another running service also registers is rebuilt onto that one.
    EXPECT_EQ(detailsOf("OnlyZulu"), "5 Service paused");
    EXPECT_EQ(detailsOf("Shared"), "0 Alpha");
    RequestPacket request(QStringLiteral("OnlyZulu"));
    std::unique_ptr<Packet> local = app.host().dispatchLocal(request);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->result(), 5);

    app.startService("Zulu");
    EXPECT_EQ(detailsOf("Shared"), "0 Zulu");
    EXPECT_EQ(journal(), (QStringList{"create Alpha", "start Alpha", "create Zulu", "start Zulu",
                                      "delete Zulu", "create Zulu", "start Zulu"}));
}

TEST_F(ApplicationTest, StartAndStopFollowTheServiceList) {
    app.addService("Zulu", std::make_unique<ServiceFactory<Zulu>>());
    app.addService("Alpha", std::make_unique<ServiceFactory<Alpha>>());
    app.start();
    const QUrl own = app.ownUrl();
    EXPECT_EQ(own.host(), QStringLiteral("localhost"));
    EXPECT_GT(own.port(), 0);
    EXPECT_EQ(own.toString(), QStringLiteral("http://localhost:%1/").arg(own.port()));
    EXPECT_TRUE(app.commands().contains("MGMTCloseApplication"));
    EXPECT_TRUE(log.lines().contains(
        QStringLiteral("info: Listening incomming requests on port: %1").arg(own.port())));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("info: VELM Application started: VELM_Test")));

    journal().clear();
    app.stop();
    EXPECT_EQ(journal(), (QStringList{"delete Alpha", "delete Zulu"}));
    EXPECT_FALSE(app.isServiceRunning("MGMT"));
}

TEST_F(ApplicationTest, StopWaitsForRunningHandlersWhileNewRequestsArePaused) {
    app.addService("Blocking", std::make_unique<ServiceFactory<Blocking>>());
    app.startService("Blocking");
    std::thread running([this] { EXPECT_EQ(detailsOf("Block"), "0 done"); });
    entered.acquire();
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        app.stopService("Blocking");
        stopped = true;
    });
    // Once the drain has begun, new requests answer at once.
    while (detailsOf("Probe") != "5 Service paused") {
        std::this_thread::yield();
    }
    EXPECT_FALSE(stopped);
    release.release();
    running.join();
    stopper.join();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(journal().last(), "delete Blocking");
}

TEST_F(ApplicationTest, RoutingRacesWithStopAndStartSafely) {
    app.addService("Alpha", std::make_unique<ServiceFactory<Alpha>>());
    app.startService("Alpha");
    std::atomic<bool> done{false};
    std::atomic<int> served{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 4; ++i) {
        callers.emplace_back([&] {
            while (!done) {
                const QString d = detailsOf("Shared");
                EXPECT_TRUE(d == "0 Alpha" || d == "5 Service paused") << d.toStdString();
                ++served;
            }
        });
    }
    // Enough cycles that callers run during many of them, whatever the scheduling.
    const QDeadlineTimer limit(10000);
    for (int i = 0; (i < 50 || served < 1000) && !limit.hasExpired(); ++i) {
        app.stopService("Alpha");
        app.startService("Alpha");
    }
    done = true;
    for (std::thread& t : callers) {
        t.join();
    }
    EXPECT_GT(served, 0);
}

void constructTwo() {
    char arg0[] = "velm-report";
    char* argv[] = {arg0, nullptr};
    int argc = 1;
    Application first(argc, argv, QStringLiteral("A"), QString());
    Application second(argc, argv, QStringLiteral("B"), QString());
}

TEST(ApplicationSingleInstance, SecondInstanceEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(constructTwo(), ::testing::ExitedWithCode(255), "");
}

} // namespace
