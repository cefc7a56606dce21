#pragma once

#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/report/DeviceSelection.h"
#include "VELMPluginReportGenerator/report/ReportDefinition.h"
#include "VELMPluginReportGenerator/report/ReportSettings.h"

#include <QDateTime>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>

class PeerCaller;
class ReportDocument;

// What reports reach: the peers, the clock and the optional build steps.
struct ReportEnvironment {
    PeerCaller* caller = nullptr;
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTimeUtc();
    };
    ReportSteps steps;
};

// A report status as one pair: the text always belongs to the code.
struct ReportStatus {
    int code = 0;
    QString text;
};

// One report: created from its definition on the requester's thread, built by run() on a
// thread of its own, then read by the report commands until it is removed. Readers go through
// a shared reference, so neither a cancel nor the collector frees a report in use.
class VELMReport final : public ReportProgress {
public:
    static constexpr int finishedProgress = 100;

    // Reads the definition and resolves the device selection (which may ask the database).
    // Throws VELMReportException when the selection holds no device.
    VELMReport(int id, const ReportDefinition& definition, ReportEnvironment environment);
    ~VELMReport() override;
    VELMReport(const VELMReport&) = delete;
    VELMReport& operator=(const VELMReport&) = delete;

    // Builds the document; progress is 100 when it returns, whatever failed on the way.
    void run();

    int id() const { return m_id; }
    // Starts this report's lines in the log.
    QString logContext() const { return QStringLiteral("Report %1: ").arg(m_id); }

    // Readers of the commands; each one counts as an access.
    int progress();
    ReportStatus status();
    int reportType();
    qint64 creationTime();
    QString chartPath();
    // The definition's GroupBy parameter, which picks a job accounting report's stylesheet.
    QString groupBy();
    bool isFinished();
    // Calls `read` with the finished document (null before the report has finished), under
    // the report's document lock so that concurrent readers never meet.
    void readDocument(const std::function<void(const ReportDocument*)>& read);

    void touch();
    // The time of the last access; null before the first one.
    QDateTime lastAccess() const;
    // The same in milliseconds since 1970, cheap enough for the collector's walk.
    std::optional<qint64> lastAccessMs() const;

    // The memory its finished document holds (0 before); read without waiting for readers.
    std::size_t keptBytes() const { return m_keptBytes.load(std::memory_order_acquire); }

    // Whether the report's thread is running; set by whoever starts it.
    bool isRunning() const { return m_running.load(std::memory_order_acquire); }
    void setRunning(bool running) { m_running.store(running, std::memory_order_release); }

    // An interruptible pause for steps that wait on a peer: true when the report is being
    // released (then the step gives up at once).
    bool pause(int msecs) override;
    // Ends such a pause at once; called when the report leaves the table and on release.
    void requestStop();
    bool isStopRequested() const override { return m_stop.load(std::memory_order_acquire); }

    void setChartPath(const QString& path);

    // ReportProgress, for the builders.
    // Both stay below 100 until run() has kept the document: 100 tells readers it is there.
    void advance(int percent) override;
    void set(int percent) override;
    void fail(int code, const QString& text) override;
    void recordChartPath(const QString& path) override { setChartPath(path); }

private:
    static constexpr qint64 noAccess = std::numeric_limits<qint64>::min();

    // One "info" line with the final status and how long the report took.
    void logOutcome();

    std::atomic<bool> m_stop{false};
    std::mutex m_pauseLock; // guards the status pair and the chart path; with the pause condition
    std::condition_variable m_pauseCondition;
    ReportStatus m_status{0, QStringLiteral("OK")};
    QString m_chartPath;

    const int m_id;
    std::atomic<int> m_progress{0};
    std::atomic<qint64> m_lastAccessMs{noAccess};
    std::atomic<bool> m_running{false};
    std::atomic<std::size_t> m_keptBytes{0};

    ReportEnvironment m_environment;
    ReportDefinition m_definition;
    ReportSettings m_settings;
    DeviceSelection m_selection;

    std::mutex m_documentLock;
    std::unique_ptr<ReportDocument> m_document;
};
