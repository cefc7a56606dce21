// Report templates inside velm-report, over HTTP, with velm-peers as naming and database
// service: names checked under concurrent adds, templates kept across a restart.
#include "../../scheduler/QtPrinters.h"
#include "support/ChildProcess.h"
#include "support/PacketCall.h"

#include "VELMPluginReportGenerator/Commands/CCmdRGPGetReportTemplateListResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateRequest.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"
#include "VELMPluginReportGenerator/templates/TemplateResult.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QThread>
#include <future>

namespace {

ReportTemplate weekly(const QString& name, const QDateTime& start) {
    ReportTemplate record;
    record.name = name;
    record.report.reportType = QStringLiteral("RT_DEVICE_LIST");
    record.report.reportFormat = QStringLiteral("TABLE");
    record.schedule.absent = false;
    record.schedule.type = QStringLiteral("Periodic");
    record.schedule.interval = QStringLiteral("I_WEEK");
    record.schedule.frequency = 1;
    record.schedule.startTime = start;
    return record;
}

class TemplatesInReport : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
            << peers.output().toStdString();
        ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
            << report.output().toStdString();
    }

    void restartReport() {
        ASSERT_EQ(report.terminate(), 0);
        ASSERT_TRUE(report.start(dir.filePath("report/velm-report"), {QStringLiteral("-e")}))
            << report.output().toStdString();
    }

    std::unique_ptr<CCmdRGAddTemplateResponse> add(const ReportTemplate& record) {
        CCmdRGAddReportTemplateRequest request;
        request.record = record;
        return callOverHttp<CCmdRGAddTemplateResponse>(report.url(), request);
    }

    std::unique_ptr<CCmdRGPGetReportTemplateListResponse> list() {
        CCmdRGPGetReportTemplateListRequest request;
        return callOverHttp<CCmdRGPGetReportTemplateListResponse>(report.url(), request);
    }

    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
};

TEST_F(TemplatesInReport, ConcurrentAddsOfOneNameStoreItOnce) {
    const QDateTime start = QDateTime::currentDateTime().addDays(1);
    constexpr int callers = 6;
    std::vector<std::future<int>> results;
    for (int i = 0; i < callers; ++i)
        results.push_back(std::async(std::launch::async, [&, i] {
            const QString name = i % 2 ? QStringLiteral("Fleet") : QStringLiteral("FLEET");
            return add(weekly(name, start))->result();
        }));
    int stored = 0;
    for (auto& result : results) {
        const int code = result.get();
        EXPECT_TRUE(code == 0 || code == TemplateResult::NameExists) << code;
        stored += code == 0;
    }
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(list()->entries.size(), 1);
}

TEST_F(TemplatesInReport, TemplatesAndTheirNextRunsSurviveARestart) {
    const QDateTime start =
        QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + 3 * 86400);
    ASSERT_EQ(add(weekly(QStringLiteral("Wöchentlich"), start))->result(), 0);
    ReportTemplate plain;
    plain.name = QStringLiteral("on request");
    ASSERT_EQ(add(plain)->result(), 0);
    restartReport();
    ASSERT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: 2"), 30000))
        << report.output().toStdString();
    QList<TemplateListEntry> entries;
    // The worker plans the loaded items' runs right after the load.
    for (int attempt = 0; attempt < 100; ++attempt) {
        entries = list()->entries;
        if (!entries.isEmpty() && entries.first().hasNext)
            break;
        QThread::msleep(50);
    }
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("Wöchentlich"));
    EXPECT_TRUE(entries[0].hasNext);
    EXPECT_EQ(entries[0].next, start);
    EXPECT_EQ(entries[0].schedule.interval, QStringLiteral("I_WEEK"));
    EXPECT_EQ(entries[1].name, QStringLiteral("on request"));
    EXPECT_FALSE(entries[1].hasNext);
    EXPECT_TRUE(entries[1].schedule.absent);
}

} // namespace
