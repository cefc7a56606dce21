// Fleet generation time and database size; DBSProcessQuery of a 10,000-row SELECT through a
// running velm-peers compared with the sqlite3 command-line tool on the same file.
#include "ProcessCpu.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"
#include "suite/FleetGenerator.h"
#include "suite/SqlEngine.h"

#include "VXNServiceFramework/http/HttpClient.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {
constexpr qint64 kEnd = 1796601600;
const QString kSelect = QStringLiteral(
    "SELECT ValueID, R_DeviceID, R_PropertyID, R_ColumnID, RowIndex, TimeValue, Value "
    "FROM DevicePropertyHistory ORDER BY ValueID LIMIT 10000");

void BM_GenerateFleet(benchmark::State& state) {
    const FleetOptions options{int(state.range(0)), int(state.range(1)), 1, kEnd};
    FleetStats stats;
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fleet.db"));
        state.ResumeTiming();
        stats = generateFleet(path, options);
        state.PauseTiming();
        bytes = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
        state.ResumeTiming();
    }
    state.counters["db_MB"] = double(bytes) / (1024.0 * 1024.0);
    state.counters["history_cells"] = double(stats.historyCells);
    state.counters["counter_samples"] = double(stats.counterSamples);
    state.counters["jobs"] = double(stats.jobs);
}
BENCHMARK(BM_GenerateFleet)
    ->Args({200, 90})
    ->Args({1000, 30})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

double childrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One fleet database and one velm-peers process serve the query benchmarks.
struct QueryFixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("fleet.db"));
    QProcess peers;
    QUrl url;

    QueryFixture() {
        generateFleet(path, {60, 30, 1, kEnd});
        peers.setProcessChannelMode(QProcess::MergedChannels);
        peers.start(QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"),
                    {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--db"), path,
                     QStringLiteral("--html"), dir.filePath(QStringLiteral("html"))});
        QByteArray output;
        static const QRegularExpression listening(QStringLiteral("on port: (\\d+)"));
        while (peers.waitForReadyRead(10000)) {
            output += peers.readAll();
            const auto match = listening.match(QString::fromUtf8(output));
            if (match.hasMatch()) {
                url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(match.captured(1)));
                break;
            }
        }
    }
    ~QueryFixture() {
        peers.terminate();
        peers.waitForFinished(10000);
    }
    static QueryFixture& instance() {
        static QueryFixture fixture;
        return fixture;
    }
};

void BM_DBSProcessQueryRoundTrip(benchmark::State& state) {
    auto& fixture = QueryFixture::instance();
    if (fixture.url.isEmpty()) {
        state.SkipWithError("velm-peers did not start");
        return;
    }
    CmdDBSProcessQueryRequest request;
    request.addQuery(kSelect);
    QByteArray body;
    request.serialize(body);
    const HttpClient client;
    qsizetype rows = 0;
    const double serverCpu = processCpuSeconds(fixture.peers.processId());
    for (auto _ : state) {
        CmdDBSProcessQueryResponse response;
        response.parse(client.send(fixture.url, request.command(), body, true));
        rows = response.resultSets().value(0).rows.size();
        benchmark::DoNotOptimize(rows);
    }
    if (rows != 10000)
        state.SkipWithError("wrong number of rows");
    state.counters["rows"] = double(rows);
    // The service's own CPU per request (the client's is the CPU column).
    state.counters["server_cpu_ms"] =
        benchmark::Counter((processCpuSeconds(fixture.peers.processId()) - serverCpu) * 1000.0,
                           benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DBSProcessQueryRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Sqlite3Cli(benchmark::State& state) {
    auto& fixture = QueryFixture::instance();
    qsizetype lines = 0;
    const double childCpu = childrenCpuSeconds();
    for (auto _ : state) {
        QProcess cli;
        cli.start(QStringLiteral("sqlite3"), {fixture.path, kSelect});
        cli.waitForFinished(60000);
        lines = cli.readAllStandardOutput().count('\n');
        benchmark::DoNotOptimize(lines);
    }
    if (lines != 10000)
        state.SkipWithError("wrong number of rows");
    state.counters["rows"] = double(lines);
    // The tool's own CPU per run (the benchmark's CPU column only shows the waiting parent).
    state.counters["tool_cpu_ms"] = benchmark::Counter((childrenCpuSeconds() - childCpu) * 1000.0,
                                                       benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Sqlite3Cli)->Unit(benchmark::kMillisecond)->UseRealTime();

// The engine alone, without HTTP and XML, to show where the round trip's time goes.
void BM_SqlEngineOnly(benchmark::State& state) {
    const SqlEngine engine(QueryFixture::instance().path);
    for (auto _ : state) {
        const SqlOutcome outcome = engine.run({kSelect});
        benchmark::DoNotOptimize(outcome.resultSets.size());
    }
}
BENCHMARK(BM_SqlEngineOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// The response's XML writing and reading for the same 10,000 rows.
void BM_ResponseSerialize(benchmark::State& state) {
    const SqlEngine engine(QueryFixture::instance().path);
    CmdDBSProcessQueryResponse response;
    response.resultSets() = engine.run({kSelect}).resultSets;
    QByteArray body;
    for (auto _ : state) {
        response.serialize(body);
        benchmark::DoNotOptimize(body.size());
    }
    state.counters["body_KB"] = double(body.size()) / 1024.0;
}
BENCHMARK(BM_ResponseSerialize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResponseParse(benchmark::State& state) {
    const SqlEngine engine(QueryFixture::instance().path);
    CmdDBSProcessQueryResponse response;
    response.resultSets() = engine.run({kSelect}).resultSets;
    QByteArray body;
    response.serialize(body);
    for (auto _ : state) {
        CmdDBSProcessQueryResponse parsed;
        parsed.parse(body);
        benchmark::DoNotOptimize(parsed.resultSets().size());
    }
}
BENCHMARK(BM_ResponseParse)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();
