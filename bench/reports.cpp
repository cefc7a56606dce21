// Reports over a 500-device fleet with 90 days of history:
//  - end to end over the protocol (generate, poll, results) against velm-report and velm-peers,
//    each run paired with the sqlite3 tool running the same composed script on the same file;
//  - the memory the finished report document takes per row, in this process;
//  - RGPGenerateReport latency for an inline device selection while the collector runs.
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "suite/FleetGenerator.h"
#include "support/PacketCall.h"

#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/dom/DomRead.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <memory>

namespace {

constexpr int fleetDevices = 500;
constexpr int fleetDays = 90;
constexpr qint64 fleetEnd = 1796601600;

struct ReportCase {
    const char* type;
    bool ninetyDays;
};
const ReportCase cases[] = {
    {"RT_DEVICE_LIST", false}, {"RT_DEVICE_INFO_SUMMARY", false}, {"RT_ALERT_HISTORY", true}};

ReportDefinition definitionOf(const ReportCase& report) {
    ReportDefinition definition;
    definition.parameters.insert(QStringLiteral("ReportType"), QLatin1String(report.type));
    definition.parameters.insert(QStringLiteral("SortBy"), QStringLiteral("IP"));
    if (report.ninetyDays) {
        definition.parameters.insert(QStringLiteral("Period"), QStringLiteral("P_CUSTOM"));
        definition.parameters.insert(QStringLiteral("From"),
                                     QString::number(fleetEnd - fleetDays * 86400));
        definition.parameters.insert(QStringLiteral("To"), QString::number(fleetEnd));
    }
    return definition;
}

// The script the report sends, as the sqlite3 tool gets it.
QByteArray scriptOf(const ReportCase& report) {
    ReportQueryParams params;
    params.reportId = 1;
    params.reportType = *reportRegistry::reportTypeFromName(QLatin1String(report.type));
    params.selectionKind = SelectionKind::AllDevices;
    if (report.ninetyDays) {
        params.start = fleetEnd - fleetDays * 86400;
        params.end = fleetEnd;
    }
    return composeReportSql(params).toUtf8();
}

QUrl listeningUrl(QProcess& process) {
    static const QRegularExpression listening(QStringLiteral("on port: (\\d+)"));
    QByteArray output;
    while (process.waitForReadyRead(20000)) {
        output += process.readAll();
        const auto match = listening.match(QString::fromUtf8(output));
        if (match.hasMatch())
            return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(match.captured(1)));
    }
    return {};
}

// One fleet, velm-peers on it and velm-report registered with it.
struct Fleet {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("fleet.db"));
    QProcess peers;
    QProcess report;
    QUrl peersUrl;
    QUrl reportUrl;

    Fleet() {
        generateFleet(path, {fleetDevices, fleetDays, 1, fleetEnd});
        peers.setProcessChannelMode(QProcess::MergedChannels);
        peers.start(QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"),
                    {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--db"), path,
                     QStringLiteral("--html"), dir.filePath(QStringLiteral("html"))});
        peersUrl = listeningUrl(peers);
        // velm-report reads its configuration beside its executable.
        QDir().mkpath(dir.filePath(QStringLiteral("report")));
        const QString binary = dir.filePath(QStringLiteral("report/velm-report"));
        QFile::copy(QStringLiteral(VELM_BINARY_DIR "/bin/velm-report"), binary);
        QFile config(dir.filePath(QStringLiteral("report/VELMReport.cfg")));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("<VELMReport><Name>VELM Report</Name><DispatcherURL>%1"
                                    "</DispatcherURL></VELMReport>")
                         .arg(peersUrl.toString())
                         .toUtf8());
        config.close();
        report.setProcessChannelMode(QProcess::MergedChannels);
        report.start(binary, {QStringLiteral("-e")});
        reportUrl = listeningUrl(report);
        ServiceClient::instance().setNamingServiceUrl(peersUrl);
    }
    ~Fleet() {
        for (QProcess* process : {&report, &peers}) {
            process->terminate();
            process->waitForFinished(20000);
        }
    }
    static Fleet& instance() {
        static Fleet fleet;
        return fleet;
    }
};

// Generate, poll until finished, fetch; the number of rows fetched (-1 on failure).
int reportOverProtocol(const QUrl& url, const ReportDefinition& definition) {
    CmdRGPGenerateReportRequest generate;
    generate.definition = definition;
    const QString id = callOverHttp<CmdRGPGenerateReportResponse>(url, generate)->reportId;
    for (;;) {
        CmdRGPGetReportStatusRequest status;
        status.reportId = id;
        const auto answer = callOverHttp<CmdRGPGetReportStatusResponse>(url, status);
        if (answer->result() != 0)
            return -1;
        if (answer->reportStatus == QLatin1String("100"))
            break;
        QThread::usleep(500);
    }
    CmdRGPGetReportResultsRequest results;
    results.reportId = id;
    const auto answer = callOverHttp<CmdRGPGetReportResultsResponse>(url, results);
    return answer->result() == 0
               ? dom::countDescendants(answer->body(), QStringLiteral("Row")) +
                     dom::countDescendants(answer->body(), QStringLiteral("RowIndex"))
               : -1;
}

double sqlite3Seconds(const QString& path, const QByteArray& script) {
    QElapsedTimer timer;
    timer.start();
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"), {path});
    tool.write(script);
    tool.closeWriteChannel();
    while (tool.state() != QProcess::NotRunning && tool.waitForReadyRead(60000))
        tool.readAllStandardOutput();
    tool.waitForFinished(60000);
    return double(timer.nsecsElapsed()) / 1e9;
}

void BM_ReportEndToEnd(benchmark::State& state) {
    Fleet& fleet = Fleet::instance();
    const ReportCase& report = cases[state.range(0)];
    state.SetLabel(report.type);
    const ReportDefinition definition = definitionOf(report);
    const QByteArray script = scriptOf(report);
    double toolSeconds = 0;
    double ourSeconds = 0;
    int rows = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        rows = reportOverProtocol(fleet.reportUrl, definition);
        ourSeconds += double(timer.nsecsElapsed()) / 1e9;
        state.PauseTiming();
        toolSeconds += sqlite3Seconds(fleet.path, script);
        state.ResumeTiming();
    }
    if (rows < 0)
        state.SkipWithError("the report failed");
    state.counters["rows"] = rows;
    state.counters["sqlite3_ms"] =
        benchmark::Counter(toolSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["x_sqlite3"] = ourSeconds / toolSeconds;
}
BENCHMARK(BM_ReportEndToEnd)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// A report generator in this process on the same peers, for what it holds in memory.
std::unique_ptr<VELMReportGenerator> localGenerator(std::chrono::milliseconds collectorWait) {
    ReportGeneratorSetup setup;
    setup.caller = &ServiceClient::instance();
    setup.collector.wait = collectorWait;
    return std::make_unique<VELMReportGenerator>(std::move(setup));
}

void waitUntilFinished(VELMReport& report) {
    while (!report.isFinished())
        QThread::usleep(500);
}

void BM_ReportDocumentMemory(benchmark::State& state) {
    Fleet::instance();
    const ReportCase& report = cases[state.range(0)];
    state.SetLabel(report.type);
    auto generator = localGenerator(std::chrono::hours(1));
    double bytes = 0;
    int rows = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        const int id = generator->createReport(definitionOf(report));
        const auto created = generator->findReport(id);
        waitUntilFinished(*created);
        malloc_trim(0);
        bytes = double(mallinfo2().uordblks) - double(before);
        created->readDocument([&](const ReportDocument* document) {
            rows = dom::countDescendants(document->root(), QStringLiteral("Row")) +
                   dom::countDescendants(document->root(), QStringLiteral("RowIndex"));
        });
        generator->removeReport(id);
    }
    state.counters["rows"] = rows;
    state.counters["document_bytes_per_row"] = rows > 0 ? bytes / rows : 0;
    state.counters["document_MB"] = bytes / (1024.0 * 1024.0);
}
BENCHMARK(BM_ReportDocumentMemory)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// RGPGenerateReport for an inline device list while the collector walks a table of a thousand
// reports every millisecond.
void BM_GenerateLatencyWhileCollecting(benchmark::State& state) {
    Fleet::instance();
    auto generator = localGenerator(std::chrono::milliseconds(1));
    ReportDefinition definition;
    definition.parameters.insert(QStringLiteral("ReportType"), QStringLiteral("RT_DEVICE_LIST"));
    definition.selection.deviceIds = {QStringLiteral("1"), QStringLiteral("2"),
                                      QStringLiteral("3")};
    for (int i = 0; i < 1000; ++i)
        generator->createReport(definition);
    for (int i = 0; i < 1000; ++i)
        waitUntilFinished(*generator->findReport(i));
    std::vector<double> latencies;
    for (auto _ : state) {
        CmdRGPGenerateReportRequest request;
        request.definition = definition;
        QElapsedTimer timer;
        timer.start();
        const auto answer = generator->dispatch(request);
        latencies.push_back(double(timer.nsecsElapsed()) / 1e6);
        benchmark::DoNotOptimize(answer);
        // Each report runs before the next request, as from one client.
        state.PauseTiming();
        QThread::msleep(20);
        state.ResumeTiming();
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies[std::size_t(q * double(latencies.size() - 1))];
    };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = latencies.back();
}
BENCHMARK(BM_GenerateLatencyWhileCollecting)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(500);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // The reports of this process would log every definition they read.
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
