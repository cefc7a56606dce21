// Reports over a 500-device fleet with 90 days of history:
//  - end to end over the protocol (generate, poll, results) against velm-report and velm-peers,
//    each run paired with the sqlite3 tool running the same composed script on the same file;
//  - the memory the finished report document takes per row, in this process;
//  - RGPGenerateReport latency for an inline device selection while the collector runs.
#include "ProcessCpu.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/builders/DeviceListBuilder.h"
#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"
#include "suite/FleetGenerator.h"
#include "support/PacketCall.h"

#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/http/HttpClient.h"

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

// Every statement the report sends, in order, as the sqlite3 tool gets them: the device
// selection when the report is created (all types here but the device list read their
// selection from the database), the device list of the per-device reports and the composed
// script. `deviceIds` are the fleet's devices, joined with ",".
QByteArray scriptOf(const ReportCase& report, const QString& deviceIds) {
    const int type = *reportRegistry::reportTypeFromName(QLatin1String(report.type));
    QString script;
    if (type != reportRegistry::RT_DEVICE_LIST)
        script += QStringLiteral("Select DeviceID from devices;\n");
    if (reportRegistry::reportBodyKind(type) ==
        reportRegistry::ReportBodyKind::DeviceListThenPerDevice)
        script += deviceListQuery(deviceIds, QStringLiteral("IP")) + QStringLiteral(";\n");
    ReportQueryParams params;
    params.reportId = 1;
    params.reportType = type;
    params.selectionKind = SelectionKind::AllDevices;
    params.selectionIds = deviceIds;
    if (report.ninetyDays) {
        params.start = fleetEnd - fleetDays * 86400;
        params.end = fleetEnd;
    }
    return (script + composeReportSql(params)).toUtf8();
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

// $VELM_BENCH_REPORTS_FLEET when set (made there by the first run, reused by the next ones: this
// fleet ends at a fixed day, unlike the other benchmarks'), else a file in `dir`.
QString fleetPath(const QTemporaryDir& dir) {
    const QString kept = qEnvironmentVariable("VELM_BENCH_REPORTS_FLEET");
    return kept.isEmpty() ? dir.filePath(QStringLiteral("fleet.db")) : kept;
}

// One fleet, velm-peers on it and velm-report registered with it.
struct Fleet {
    QTemporaryDir dir;
    QString path = fleetPath(dir);
    QProcess peers;
    QProcess report;
    QUrl peersUrl;
    QUrl reportUrl;

    Fleet() {
        if (!QFile::exists(path))
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

struct ProtocolRun {
    int rows = -1;              // Row and RowIndex elements of the answer; -1 on failure
    double finishedSeconds = 0; // generate and poll until finished
    double receivedSeconds = 0; // ask for the results until the whole answer is here
    double parseSeconds = 0;    // this client reading the answer into a DOM
    qsizetype answerBytes = 0;
};

double secondsSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

// The pause between two status requests: $VELM_BENCH_POLL_US, else 500 µs. Each request costs
// both processes some CPU that the report itself would use on a small machine.
unsigned long pollMicroseconds() {
    static const int poll = qEnvironmentVariableIntValue("VELM_BENCH_POLL_US");
    return poll > 0 ? (unsigned long)poll : 500;
}

// Generate, poll until finished, fetch. The answer is read after its clock stops: the sqlite3
// tool is timed until its rows are out, not until someone has read them.
ProtocolRun reportOverProtocol(const QUrl& url, const ReportDefinition& definition) {
    ProtocolRun run;
    QElapsedTimer timer;
    timer.start();
    CmdRGPGenerateReportRequest generate;
    generate.definition = definition;
    const QString id = callOverHttp<CmdRGPGenerateReportResponse>(url, generate)->reportId;
    for (;;) {
        CmdRGPGetReportStatusRequest status;
        status.reportId = id;
        const auto answer = callOverHttp<CmdRGPGetReportStatusResponse>(url, status);
        if (answer->result() != 0)
            return run;
        if (answer->reportStatus == QLatin1String("100"))
            break;
        QThread::usleep(pollMicroseconds());
    }
    run.finishedSeconds = secondsSince(timer);
    CmdRGPGetReportResultsRequest results;
    results.reportId = id;
    QByteArray request;
    results.serialize(request);
    timer.restart();
    const QByteArray bytes = HttpClient().send(url, results.command(), request, true);
    run.receivedSeconds = secondsSince(timer);
    run.answerBytes = bytes.size();
    timer.restart();
    CmdRGPGetReportResultsResponse answer;
    answer.parse(bytes);
    if (answer.result() == 0)
        run.rows = dom::countDescendants(answer.body(), QStringLiteral("Row")) +
                   dom::countDescendants(answer.body(), QStringLiteral("RowIndex"));
    run.parseSeconds = secondsSince(timer);
    return run;
}

// The statements of `script` sent straight to the database service, as one DBSProcessQuery.
double databaseServiceSeconds(const QUrl& url, const QByteArray& script) {
    CmdDBSProcessQueryRequest request;
    for (const QString& statement : splitSqlStatements(QString::fromUtf8(script)))
        request.addQuery(statement);
    QElapsedTimer timer;
    timer.start();
    callOverHttp<CmdDBSProcessQueryResponse>(url, request);
    return secondsSince(timer);
}

// Runs `script` with the sqlite3 tool on the fleet; its output (every row) and the seconds
// from start to exit.
std::pair<QByteArray, double> sqlite3Run(const QString& path, const QByteArray& script) {
    QElapsedTimer timer;
    timer.start();
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"), {path});
    tool.write(script);
    tool.closeWriteChannel();
    QByteArray output;
    while (tool.state() != QProcess::NotRunning && tool.waitForReadyRead(60000))
        output += tool.readAllStandardOutput();
    tool.waitForFinished(60000);
    output += tool.readAllStandardOutput();
    return {output, double(timer.nsecsElapsed()) / 1e9};
}

QString fleetDeviceIds(const QString& path) {
    const QByteArray ids = sqlite3Run(path, "Select DeviceID from devices;").first;
    return QString::fromLatin1(ids.trimmed()).split(QLatin1Char('\n')).join(QLatin1Char(','));
}

// The middle of `values` (the mean of the two middle ones for an even count); one slow run on
// a shared machine moves it little.
double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// Each iteration runs the report over the protocol, the sqlite3 tool and the database service
// alone, in an order that turns by one every iteration so that none is always first on a cold
// cache; the figures are the medians.
void BM_ReportEndToEnd(benchmark::State& state) {
    Fleet& fleet = Fleet::instance();
    const ReportCase& report = cases[state.range(0)];
    state.SetLabel(report.type);
    const ReportDefinition definition = definitionOf(report);
    static const QString deviceIds = fleetDeviceIds(fleet.path);
    const QByteArray script = scriptOf(report, deviceIds);
    std::vector<double> tool, received, parsed, finished, results, parse, database;
    double reportCpu = 0;
    double peersCpu = 0;
    ProtocolRun last;
    int turn = 0;
    for (auto _ : state) {
        for (int step = 0; step < 3; ++step) {
            switch ((turn + step) % 3) {
            case 0: {
                const double reportBefore = processCpuSeconds(fleet.report.processId());
                const double peersBefore = processCpuSeconds(fleet.peers.processId());
                last = reportOverProtocol(fleet.reportUrl, definition);
                reportCpu += processCpuSeconds(fleet.report.processId()) - reportBefore;
                peersCpu += processCpuSeconds(fleet.peers.processId()) - peersBefore;
                finished.push_back(last.finishedSeconds);
                results.push_back(last.receivedSeconds);
                parse.push_back(last.parseSeconds);
                received.push_back(last.finishedSeconds + last.receivedSeconds);
                parsed.push_back(received.back() + last.parseSeconds);
                break;
            }
            case 1:
                tool.push_back(sqlite3Run(fleet.path, script).second);
                break;
            case 2:
                database.push_back(databaseServiceSeconds(fleet.peersUrl, script));
                break;
            }
        }
        ++turn;
    }
    if (last.rows < 0)
        state.SkipWithError("the report failed");
    const auto ms = [](const std::vector<double>& seconds) {
        return median(seconds) * 1000;
    };
    state.counters["rows"] = last.rows;
    state.counters["answer_MB"] = double(last.answerBytes) / (1024.0 * 1024.0);
    state.counters["sqlite3_ms"] = ms(tool);
    // Where the time goes: until the report has finished, until its results are received,
    // this client's parse of them, and the database service alone on the same statements.
    state.counters["finished_ms"] = ms(finished);
    state.counters["results_ms"] = ms(results);
    state.counters["parse_ms"] = ms(parse);
    state.counters["dbservice_ms"] = ms(database);
    // CPU per report over the protocol (the machine's other work does not count here).
    const double runs = double(finished.size());
    state.counters["report_cpu_ms"] = reportCpu / runs * 1000;
    state.counters["peers_cpu_ms"] = peersCpu / runs * 1000;
    // Until the whole answer is received, and with this client's parse as well.
    state.counters["x_sqlite3"] = median(received) / median(tool);
    state.counters["x_sqlite3_parsed"] = median(parsed) / median(tool);
}
BENCHMARK(BM_ReportEndToEnd)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(7);

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
        // The report's thread frees what it read after the report counts as finished.
        while (created->isRunning())
            QThread::usleep(500);
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
