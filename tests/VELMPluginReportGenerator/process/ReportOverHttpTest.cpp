// The report generator inside velm-report, over HTTP, with velm-peers on a small generated
// fleet as naming and database service.
#include "support/ChildProcess.h"
#include "support/PacketCall.h"
#include "support/ScriptedHttpPeer.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/builders/IpSort.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/service/CatalogueCommands.h"

#include "VXNServiceFramework/dom/DomRead.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <thread>
#include <unistd.h>

namespace {

constexpr int fleetDevices = 6;

class ReportOverHttp : public testing::Test {
protected:
    static void SetUpTestSuite() {
        fleetDir = std::make_unique<QTemporaryDir>();
        QProcess generator;
        generator.start(QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"),
                        {QStringLiteral("--db"), fleetDir->filePath("fleet.db"),
                         QStringLiteral("--generate-fleet"), QString::number(fleetDevices),
                         QStringLiteral("--days"), QStringLiteral("3")});
        generator.waitForFinished(120000);
    }
    static void TearDownTestSuite() { fleetDir.reset(); }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QFile::copy(fleetDir->filePath("fleet.db"), dir.filePath("fleet.db")));
        ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
            << peers.output().toStdString();
        ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
            << report.output().toStdString();
    }

    void TearDown() override {
        report.terminate();
        peers.terminate();
    }

    QString generate(const ReportDefinition& definition) {
        CmdRGPGenerateReportRequest request;
        request.definition = definition;
        const auto answer = callOverHttp<CmdRGPGenerateReportResponse>(report.url(), request);
        EXPECT_EQ(answer->result(), 0) << answer->details().toStdString();
        return answer->reportId;
    }

    std::unique_ptr<CmdRGPGetReportStatusResponse> waitForEnd(const QString& id) {
        for (;;) {
            CmdRGPGetReportStatusRequest request;
            request.reportId = id;
            auto answer = callOverHttp<CmdRGPGetReportStatusResponse>(report.url(), request);
            if (answer->result() != 0 || answer->reportStatus == QStringLiteral("100"))
                return answer;
            QThread::msleep(20);
        }
    }

    std::unique_ptr<CmdRGPGetReportResultsResponse> results(const QString& id) {
        CmdRGPGetReportResultsRequest request;
        request.reportId = id;
        return callOverHttp<CmdRGPGetReportResultsResponse>(report.url(), request);
    }

    int deviceCount() {
        CmdDBSProcessQueryRequest request;
        request.addQuery(QStringLiteral("SELECT count(*) AS n FROM Devices"));
        const auto answer = callOverHttp<CmdDBSProcessQueryResponse>(peers.url(), request);
        return answer->resultSets().value(0).rows.value(0).value(u"n").toInt();
    }

    // One stored alert-table row per device: code, description, severity, training level,
    // group and the alert's own time.
    void addJamToEveryDevice(qint64 time) {
        CmdDBSProcessQueryRequest request;
        request.addQuery(
            QStringLiteral("INSERT INTO DevicePropertyHistory (R_DeviceID, R_PropertyID, "
                           "R_ColumnID, RowIndex, TimeValue, Value) SELECT DeviceID, 30, c, 1, "
                           "%1, CASE c WHEN 1 THEN 'jam' WHEN 2 THEN 'Paper jam' WHEN 3 THEN "
                           "'critical' WHEN 4 THEN 'trained' WHEN 5 THEN 'jam' ELSE '%1' END "
                           "FROM Devices, (SELECT 1 AS c UNION ALL SELECT 2 UNION ALL SELECT 3 "
                           "UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6)")
                .arg(time));
        const auto answer = callOverHttp<CmdDBSProcessQueryResponse>(peers.url(), request);
        ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    }

    static std::unique_ptr<QTemporaryDir> fleetDir;
    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
};

std::unique_ptr<QTemporaryDir> ReportOverHttp::fleetDir;

ReportDefinition definition(std::initializer_list<std::pair<QString, QString>> parameters,
                            QStringList devices = {}) {
    ReportDefinition result;
    for (const auto& [name, value] : parameters)
        result.parameters.insert(name, value);
    result.selection.deviceIds = devices;
    return result;
}

QList<const dom::Element*> children(const dom::Element* parent, const QString& name) {
    QList<const dom::Element*> found;
    dom::forEachChild(
        parent, [&](dom::Element* child) { found.append(child); }, name);
    return found;
}

QString childText(const dom::Element* parent, const QString& name) {
    return dom::textContent(dom::firstChild(parent, name));
}

} // namespace

TEST_F(ReportOverHttp, ADeviceListIsGeneratedPolledAndFetched) {
    const QString id = generate(definition({{"ReportType", "RT_DEVICE_LIST"}}, {"1", "2", "3"}));
    EXPECT_EQ(id, "0");
    EXPECT_EQ(waitForEnd(id)->result(), 0);
    const auto answer = results(id);
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_EQ(childText(answer->info(), "ReportType"), "RT_DEVICE_LIST");
    const auto reports = children(answer->body(), "Report");
    ASSERT_EQ(reports.size(), 1);
    // The device list reads every device, whatever the selection.
    EXPECT_EQ(children(reports.first(), "Row").size(), fleetDevices);
}

TEST_F(ReportOverHttp, AlertHistorySortedByIpListsEveryDeviceInAddressOrder) {
    // A fleet of a few days may have raised no alert at all: every device gets one.
    addJamToEveryDevice(QDateTime::currentSecsSinceEpoch() - 3600);
    const QString id =
        generate(definition({{"ReportType", "RT_ALERT_HISTORY"},
                             {"Period", "P_CUSTOM"},
                             {"From", "0"},
                             {"To", QString::number(QDateTime::currentSecsSinceEpoch())},
                             {"SortBy", "IP"}}));
    const auto status = waitForEnd(id);
    ASSERT_EQ(status->result(), 0) << status->details().toStdString();
    const auto answer = results(id);
    const auto devices = children(answer->body(), "Device");
    ASSERT_EQ(devices.size(), fleetDevices);
    QList<DeviceAddress> addresses;
    for (const dom::Element* device : devices)
        addresses.append({dom::attribute(device, "ID"), childText(device, "IP")});
    QList<DeviceAddress> sorted = addresses;
    sortByIp(sorted);
    for (qsizetype i = 0; i < addresses.size(); ++i)
        EXPECT_EQ(addresses[i].deviceId, sorted[i].deviceId);
}

TEST_F(ReportOverHttp, HostileSortAndSelectionTextsChangeNoTable) {
    const int before = deviceCount();
    ASSERT_EQ(before, fleetDevices);
    const QString sort = generate(definition(
        {{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", "IP; DELETE FROM Devices"}}, {"1"}));
    const QString select = generate(definition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}},
                                               {"1) OR 1=1; DELETE FROM Devices; --"}));
    // The device list fails without a query; the alert rows that follow may find nothing.
    EXPECT_NE(waitForEnd(sort)->result(), 0);
    EXPECT_EQ(waitForEnd(select)->result(), ReportResult::GenerationFailed);
    EXPECT_EQ(deviceCount(), before);
}

TEST_F(ReportOverHttp, TwentyReportsAtOnceKeepTheirTemporaryTablesApart) {
    std::vector<std::thread> threads;
    std::mutex mutex;
    QStringList ids;
    for (int i = 0; i < 20; ++i)
        threads.emplace_back([&, i] {
            const QString type =
                i % 2 ? QStringLiteral("RT_DEVICE_LIST") : QStringLiteral("RT_DEVICE_INFO_SUMMARY");
            const QString id = generate(definition({{"ReportType", type}}, {"1", "2"}));
            std::lock_guard lock(mutex);
            ids.append(id);
        });
    for (auto& thread : threads)
        thread.join();
    ids.removeDuplicates();
    ASSERT_EQ(ids.size(), 20);
    for (const QString& id : ids) {
        const auto status = waitForEnd(id);
        EXPECT_EQ(status->result(), 0)
            << id.toStdString() << ": " << status->details().toStdString();
    }
}

TEST_F(ReportOverHttp, CategoriesAndCurrentCountersAreServed) {
    RGPGetReportCategoriesRequest categories;
    const auto offered = callOverHttp<RGPGetReportCategoriesResponse>(report.url(), categories);
    EXPECT_EQ(offered->result(), 0);
    ASSERT_GE(offered->Category.size(), 4);
    EXPECT_EQ(offered->Category[0].Name, "RT_DEVICE");

    CmdRGPGetCurrentUsageCountersRequest counters;
    counters.deviceId = "1";
    const auto answer = callOverHttp<CmdRGPGetCurrentUsageCountersResponse>(report.url(), counters);
    EXPECT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_EQ(answer->deviceId, "1");
}

// The job accounting category depends on a probe of the plug-in: asked once, so that a plug-in
// the naming service does not know, or that does not answer where it is said to be, leaves the
// four other categories at once instead of after the client's retries; a plug-in that answers
// shows the fifth.
TEST(ReportCategoriesOverHttp, AnAbsentPlugInIsAskedForOnce) {
    QTemporaryDir dir;
    ChildProcess peers;
    ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
        << peers.output().toStdString();
    enum class PlugIn { Unknown, Gone, There };
    std::atomic<PlugIn> plugIn{PlugIn::Unknown};
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString goneUrl = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    const QString peersUrl = peers.url().toString();
    ScriptedHttpPeer naming;
    naming.setResponder([&](const ScriptedHttpPeer::Request& request) {
        static const QRegularExpression command(QStringLiteral("<Command>(.*)</Command>"));
        const QString wanted = command.match(QString::fromUtf8(request.body)).captured(1);
        const bool known = request.target != QLatin1String("NSFindService") ||
                           wanted != QLatin1String("JACAddAccessRights") ||
                           plugIn != PlugIn::Unknown;
        const QString url = wanted == QLatin1String("JACAddAccessRights") && plugIn == PlugIn::Gone
                                ? goneUrl
                                : peersUrl;
        return ScriptedHttpPeer::ok(
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse><Result>%1"
                           "</Result><Details>x</Details><ServiceURL>%2</ServiceURL></VXNResponse>")
                .arg(known ? 0 : 1)
                .arg(url)
                .toUtf8());
    });
    ChildProcess report;
    ASSERT_TRUE(report.startReport(dir.filePath("report"), naming.url()))
        << report.output().toStdString();
    // Asked at once after the start: velm-report knows its naming service before it listens.
    const auto lookups = [&] {
        int count = 0;
        for (const ScriptedHttpPeer::Request& request : naming.requests())
            count += request.body.contains("<Command>JACAddAccessRights</Command>") ? 1 : 0;
        return count;
    };
    const auto categories = [&] {
        RGPGetReportCategoriesRequest request;
        const auto answer = callOverHttp<RGPGetReportCategoriesResponse>(report.url(), request);
        EXPECT_EQ(answer->result(), 0);
        return answer->Category.size();
    };

    EXPECT_EQ(categories(), 4);
    EXPECT_EQ(lookups(), 1);
    plugIn = PlugIn::Gone;
    EXPECT_EQ(categories(), 4);
    EXPECT_EQ(lookups(), 2);
    // The gone URL is cached: one fresh lookup at once finds the plug-in where it is now.
    plugIn = PlugIn::There;
    EXPECT_EQ(categories(), 5);
    EXPECT_EQ(lookups(), 3);
    EXPECT_FALSE(report.output().contains("SendRequest retry")) << report.output().toStdString();
}
