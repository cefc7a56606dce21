// The scheduler inside velm-report, over HTTP, with the real velm-peers as naming and database
// service. Skipped while velm-report does not serve the scheduler's commands.
#include "../QtPrinters.h"
#include "../ScheduleRequests.h"
#include "support/ChildProcess.h"
#include "support/PacketCall.h"

#include "scheduler/SchedulerResults.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <future>
#include <unistd.h>

namespace {

class SchedulerInReport : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
            << peers.output().toStdString();
        // velm-report reads its configuration beside its executable.
        ASSERT_TRUE(QDir().mkpath(dir.filePath("report")));
        const QByteArray source = QByteArrayLiteral(VELM_BINARY_DIR "/bin/velm-report");
        const QByteArray target = dir.filePath("report/velm-report").toLocal8Bit();
        const bool linked = ::link(source.constData(), target.constData()) == 0;
        ASSERT_TRUE(linked ||
                    QFile::copy(QString::fromLocal8Bit(source), QString::fromLocal8Bit(target)));
        writeConfig();
    }

    // Points velm-report at the naming service of the running velm-peers.
    void writeConfig() {
        QFile config(dir.filePath("report/VELMReport.cfg"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write(QStringLiteral("<VELMReport><Name>VELM Report</Name><DispatcherURL>%1"
                                    "</DispatcherURL></VELMReport>")
                         .arg(peers.url().toString())
                         .toUtf8());
    }

    // Starts velm-report; false (and the test is skipped) when it has no scheduler.
    bool startReport() {
        started.start();
        if (!report.start(dir.filePath("report/velm-report"), {QStringLiteral("-e")}))
            return false;
        CmdSchGetEventsInfoRequest probe;
        probe.serviceName = QStringLiteral("none");
        // A process without the scheduler answers an unknown command with an empty envelope.
        return call<CmdSchGetEventsInfoResponse>(probe)->details() ==
               QStringLiteral("Invalid ID(s)");
    }

    template <class R> std::unique_ptr<R> call(Packet& request) {
        return callOverHttp<R>(report.url(), request);
    }

    // As call(), on a thread of its own; a transfer that fails answers 6.
    template <class R> std::future<std::unique_ptr<R>> callAsync(std::unique_ptr<Packet> request) {
        return std::async(std::launch::async, [this, request = std::move(request)] {
            try {
                return call<R>(*request);
            } catch (const std::exception&) {
                auto failed = std::make_unique<R>();
                failed->setResult(ResultCode::CommunicationFailed, QStringLiteral("no answer"));
                return failed;
            }
        });
    }

    qint32 registerItem(const QString& service, qint64 id, bool permanent = false,
                        const QString& command = QStringLiteral("<VXNRequest command=\"X\">"),
                        const QString& tag = {}, qint64 startIn = 86400) {
        auto request = registerRequest(
            service, id, localFromSeconds(QDateTime::currentSecsSinceEpoch() + startIn), permanent,
            command, tag);
        const auto response = call<CmdSchRegisterResponse>(*request);
        EXPECT_EQ(response->result(), 0) << response->details().toStdString();
        return response->scheduleId;
    }

    std::unique_ptr<CmdSchGetEventsInfoResponse> get(const QString& service, const QString& ids) {
        auto request = eventsInfoRequest(service, ids);
        return call<CmdSchGetEventsInfoResponse>(*request);
    }

    QList<qint32> ids(const QString& service) {
        return idsOf(*get(service, QStringLiteral("ALL")));
    }

    void unregister(const QString& service, const QString& ids) {
        auto request = unregisterRequest(service, ids);
        EXPECT_EQ(call<ResponsePacket>(*request)->result(), 0);
    }

    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
    QElapsedTimer started;
};

#define START_REPORT_OR_SKIP()                                                                     \
    do {                                                                                           \
        if (!startReport())                                                                        \
            GTEST_SKIP() << "velm-report does not serve the scheduler";                            \
    } while (false)

TEST_F(SchedulerInReport, CommandsOverHttp) {
    START_REPORT_OR_SKIP();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(registerItem("RG", -1), i);
    unregister("RG", " 2 , ,3,,4");
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1, 5}));
    EXPECT_EQ(registerItem("RG", -1), 6);

    EXPECT_EQ(registerItem("RG", 5, false, QStringLiteral("<VXNRequest command=\"Y\">")), 5);
    EXPECT_EQ(get("RG", "5")->items.at(5).commandToSend,
              QStringLiteral("<VXNRequest command=\"Y\">"));
    EXPECT_EQ(registerItem("RG", 9), -2);

    const auto some = get("RG", "9,1,1");
    EXPECT_EQ(some->result(), 0);
    EXPECT_EQ(some->serviceName, QStringLiteral("RG"));
    EXPECT_EQ(some->items.size(), 1u);
    const auto none = get("RG", "9");
    EXPECT_EQ(none->result(), -1);
    EXPECT_EQ(none->details(), QStringLiteral("Invalid ID(s)"));
    EXPECT_EQ(get("Nobody", "all")->result(), -1);

    unregister("RG", "all");
    EXPECT_TRUE(ids("RG").isEmpty());
    EXPECT_EQ(get("RG", "all")->result(), -1);
}

TEST_F(SchedulerInReport, PermanentItemsReloadAfterARestartAndEarlyCommandsWait) {
    START_REPORT_OR_SKIP();
    const QString command = QStringLiteral(
        "<VXNRequest command=\"RGPGenerateAndSendReportByEmail\"><Name>Bob's \"weekly\"</Name>"
        "</VXNRequest>");
    const QString quoted = QStringLiteral("R\"G");
    EXPECT_EQ(registerItem("RG", -1, true, command, QStringLiteral("Autosend")), 0);
    EXPECT_EQ(registerItem("RG", -1, false), 1);
    EXPECT_EQ(registerItem("RG", -1, true, QStringLiteral("<VXNRequest command=\"Z\">")), 2);
    EXPECT_EQ(registerItem(quoted, -1, true, command, QStringLiteral("it's")), 0);
    ASSERT_EQ(report.terminate(), 0);

    ASSERT_TRUE(report.start(dir.filePath("report/velm-report"), {QStringLiteral("-e")}));
    QElapsedTimer early;
    early.start();
    // Sent before the stored items are loaded: answered after the load, with an id that
    // follows the loaded ones.
    EXPECT_EQ(registerItem("RG", -1), 3);
    EXPECT_GT(early.elapsed(), 2000);
    EXPECT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: 3"), 10000));

    const auto rg = get("RG", "all");
    ASSERT_EQ(rg->items.size(), 3u);
    EXPECT_EQ(rg->items.at(0).commandToSend, command);
    EXPECT_EQ(rg->items.at(0).tag, QStringLiteral("Autosend"));
    EXPECT_TRUE(rg->items.at(0).permanent);
    EXPECT_EQ(rg->items.at(2).commandToSend, QStringLiteral("<VXNRequest command=\"Z\">"));
    EXPECT_FALSE(rg->items.at(3).permanent);
    const auto quotedItems = get(quoted, "all");
    ASSERT_EQ(quotedItems->items.size(), 1u);
    EXPECT_EQ(quotedItems->serviceName, quoted);
    EXPECT_EQ(quotedItems->items.at(0).commandToSend, command);
    EXPECT_EQ(quotedItems->items.at(0).tag, QStringLiteral("it's"));
}

TEST_F(SchedulerInReport, FiredCloseCommandEndsTheProcess) {
    START_REPORT_OR_SKIP();
    // A registration waits for the load; the item's start must still lie ahead after it.
    ASSERT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: "), 30000));
    registerItem("MGMT", -1, false,
                 QStringLiteral("<VXNRequest command=\"MGMTCloseApplication\"></VXNRequest>"), {},
                 2);
    ASSERT_TRUE(report.waitForExit(30000)) << report.output().toStdString();
    EXPECT_TRUE(report.output().contains(
        QStringLiteral("Send command: <VXNRequest command=\"MGMTCloseApplication\">")));
}

TEST_F(SchedulerInReport, DatabaseOutageRefusesPermanentChangesAndStopsPromptly) {
    START_REPORT_OR_SKIP();
    const QString a = QStringLiteral("<VXNRequest command=\"A\">");
    const QString b = QStringLiteral("<VXNRequest command=\"B\">");
    EXPECT_EQ(registerItem("RG", -1, true, a), 0);
    EXPECT_EQ(registerItem("RG", -1, true, b), 1);
    EXPECT_EQ(registerItem("RG", -1, false), 2);
    // Naming and database service gone.
    ASSERT_EQ(peers.terminate(), 0);

    auto added = callAsync<CmdSchRegisterResponse>(registerRequest(
        "RG", -1, QDateTime::currentDateTime().addDays(1), true, QStringLiteral("<c/>"), {}));
    auto removed = callAsync<ResponsePacket>(unregisterRequest("RG", "1"));
    // Reads and temporary items answer while the two writes wait out their retries.
    QElapsedTimer meanwhile;
    meanwhile.start();
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1, 2}));
    EXPECT_GE(registerItem("RG", -1), 3);
    EXPECT_LT(meanwhile.elapsed(), 20000);
    EXPECT_EQ(added.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    const auto addAnswer = added.get();
    EXPECT_EQ(addAnswer->result(), SchedulerResult::NotStored);
    EXPECT_TRUE(addAnswer->details().startsWith(
        QStringLiteral("Schedule item not saved in the database: ")))
        << addAnswer->details().toStdString();
    EXPECT_EQ(removed.get()->result(), SchedulerResult::NotStored);
    EXPECT_TRUE(get("RG", "1")->items.count(1));

    // A write still waiting when the process is told to stop gives up rather than holding the
    // stop for its remaining retries (ChildProcess kills after 20 s and then answers -1).
    const auto retries = [&] {
        return report.output().count(QStringLiteral("SendRequest retry"));
    };
    const qsizetype before = retries();
    auto pending = callAsync<ResponsePacket>(unregisterRequest("RG", "0"));
    const QDeadlineTimer inRetry(10000);
    // Waiting for the exit is what takes in the process's output meanwhile.
    while (retries() == before && !inRetry.hasExpired())
        report.waitForExit(50);
    ASSERT_GT(retries(), before);
    EXPECT_EQ(report.terminate(), 0);
    EXPECT_NE(pending.get()->result(), 0);

    // Back with the database: what was stored is there, nothing more and nothing less.
    ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")));
    writeConfig();
    ASSERT_TRUE(report.start(dir.filePath("report/velm-report"), {QStringLiteral("-e")}));
    ASSERT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: 2"), 30000))
        << report.output().toStdString();
    const auto stored = get("RG", "all");
    ASSERT_EQ(idsOf(*stored), (QList<qint32>{0, 1}));
    EXPECT_EQ(stored->items.at(0).commandToSend, a);
    EXPECT_EQ(stored->items.at(1).commandToSend, b);
}

TEST_F(SchedulerInReport, StoredEntityTextsSurviveARestart) {
    START_REPORT_OR_SKIP();
    const QString command = QStringLiteral(
        "<VXNRequest command=\"X\"><Name>&amp;apos; &amp;quot; it's</Name></VXNRequest>");
    // As the element text reads: the literal six characters, not an apostrophe.
    const QString tag = QStringLiteral("&apos;&quot;\"'&'");
    EXPECT_EQ(registerItem("RG", -1, true, command, tag), 0);
    ASSERT_EQ(report.terminate(), 0);
    ASSERT_TRUE(report.start(dir.filePath("report/velm-report"), {QStringLiteral("-e")}));
    ASSERT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: 1"), 30000));
    const auto stored = get("RG", "0");
    ASSERT_EQ(stored->items.count(0), 1u);
    EXPECT_EQ(stored->items.at(0).commandToSend, command);
    EXPECT_EQ(stored->items.at(0).tag, tag);
}

} // namespace
