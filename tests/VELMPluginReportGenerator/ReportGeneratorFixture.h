#pragma once

#include "../scheduler/QtPrinters.h"
#include "ScriptedReportPeers.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/VELMReportGenerator.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>

// A clock the test moves by hand.
class TestClock {
public:
    QDateTime now() const {
        std::lock_guard lock(m_mutex);
        return m_now;
    }
    void set(const QDateTime& now) {
        std::lock_guard lock(m_mutex);
        m_now = now;
    }
    void advance(qint64 seconds) { set(now().addSecs(seconds)); }

private:
    mutable std::mutex m_mutex;
    QDateTime m_now{QDate(2008, 1, 16), QTime(10, 30)};
};

ReportDefinition reportDefinition(std::initializer_list<std::pair<QString, QString>> parameters,
                                  ReportSelection selection = {});

// A report generator on scripted peers and a hand-moved clock; the collector passes only when
// the test asks (its own wait is an hour).
class ReportGeneratorTest : public ::testing::Test {
protected:
    ReportGeneratorTest() : ReportGeneratorTest(ReportSteps{}) {}
    // With build steps such as the chart step in place.
    explicit ReportGeneratorTest(ReportSteps steps);
    ~ReportGeneratorTest() override;

    std::unique_ptr<CmdRGPGenerateReportResponse> generate(const ReportDefinition& definition);
    // The id of a report that was started, or a test failure.
    int start(const ReportDefinition& definition);
    std::unique_ptr<CmdRGPGetReportStatusResponse> status(const QString& id);
    std::unique_ptr<CmdRGPGetReportResultsResponse> results(const QString& id);
    std::unique_ptr<Packet> cancel(const QString& id);
    // Polls until the report has finished or failed; its last status answer.
    std::unique_ptr<CmdRGPGetReportStatusResponse> waitForEnd(int id);
    // Waits until the report's thread has ended, a moment after its last status: only then
    // may the collector or the memory budget let the report go.
    void waitForThread(int id);
    // The outline of the Body (or Info) of a finished report's results.
    QString body(int id);
    QString info(int id);

    ScriptedReportPeers peers;
    TestClock clock;
    std::unique_ptr<VELMReportGenerator> service;
};
