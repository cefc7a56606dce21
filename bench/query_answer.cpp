// Reading a large DBSProcessQuery answer into rows: in order on one thread, and shared among
// the cores. Two answers shaped like the largest report queries' (current properties of 500
// devices: 28,000 rows of 5 columns; 90 days of alerts: 9,300 rows of 8 columns), and the body
// in $VELM_BENCH_QUERY_BODY when set.
#include "peers/CmdDBSProcessQueryResponse.h"
#include "peers/QueryXmlReader.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>

namespace queryxml = peers::queryxml;

namespace {

QByteArray bodyOf(const DBSResultSet& set) {
    CmdDBSProcessQueryResponse response(0, QStringLiteral("OK"));
    response.resultSets() = {DBSResultSet(), DBSResultSet(), set, DBSResultSet()};
    QByteArray body;
    response.serialize(body);
    return body;
}

QByteArray propertyAnswer() {
    DBSResultSet set;
    for (int device = 1; device <= 500; ++device)
        for (int property = 0; property < 14; ++property)
            for (int index = 0; index < 4; ++index) {
                const bool table = property % 3 == 0;
                // Every column in every row, as the database service writes them (NULL empty).
                set.rows.append(DBSRow{
                    {QStringLiteral("R_DeviceID"), QString::number(device)},
                    {QStringLiteral("PropName"), QStringLiteral("prtProperty%1").arg(property)},
                    {QStringLiteral("PropColumnName"),
                     table ? QStringLiteral("column%1").arg(index) : QString()},
                    {QStringLiteral("RowIndex"), QString::number(table ? index : 0)},
                    {QStringLiteral("Value"),
                     QStringLiteral("value %1 of device %2 & \"co\"").arg(index).arg(device)}});
            }
    return bodyOf(set);
}

QByteArray alertAnswer() {
    DBSResultSet set;
    for (int alert = 0; alert < 9300; ++alert)
        set.rows.append(DBSRow{
            {QStringLiteral("DeviceID"), QString::number(1 + alert / 19)},
            {QStringLiteral("IPAddress"),
             QStringLiteral("10.1.%1.%2").arg(alert / 19 / 250).arg(alert / 19 % 250)},
            {QStringLiteral("HostName"), QStringLiteral("printer-%1.example.net").arg(alert / 19)},
            {QStringLiteral("Model"), QStringLiteral("Kestrane LaserWriter %1").arg(alert % 7)},
            {QStringLiteral("AlertCode"), QString::number(1000 + alert % 40)},
            {QStringLiteral("Severity"), QString::number(alert % 4)},
            {QStringLiteral("Description"),
             QStringLiteral("Toner low <cyan> in tray %1").arg(alert % 5)},
            {QStringLiteral("AlertTime"), QString::number(1788825600 + alert * 837)}});
    return bodyOf(set);
}

QByteArray fileAnswer() {
    QFile file(qEnvironmentVariable("VELM_BENCH_QUERY_BODY"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray& answer(int shape) {
    static const QByteArray answers[] = {propertyAnswer(), alertAnswer(), fileAnswer()};
    return answers[shape];
}

// Shape 0 properties, 1 alerts, 2 the file; split 0: in order, 1: shared among the cores.
void BM_ReadAnswer(benchmark::State& state) {
    const QByteArray& body = answer(int(state.range(0)));
    if (body.isEmpty()) {
        state.SkipWithError("no body (set VELM_BENCH_QUERY_BODY)");
        return;
    }
    queryxml::ScanSplit split = queryxml::ScanSplit::automatic();
    if (state.range(1) == 0)
        split.threads = 1;
    qsizetype rows = 0;
    for (auto _ : state) {
        auto parsed = std::make_unique<queryxml::ParsedBody>(queryxml::parseBody(body, split));
        // The rows are let go of outside the time: a report holds them while it builds.
        state.PauseTiming();
        rows = 0;
        for (const DBSResultSet& set : parsed->resultSets)
            rows += set.rows.size();
        parsed.reset();
        state.ResumeTiming();
    }
    state.counters["threads"] = split.threads;
    state.counters["rows"] = double(rows);
    state.counters["body_MB"] = double(body.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ReadAnswer)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"shape", "split"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
