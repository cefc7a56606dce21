// 100,000 schedule items in memory: how fast they are registered, how long one worker pass over
// them takes, and what an item costs in memory. Baselines on the same items: a bare std::map
// insert for registration, the next-run computation alone for the pass.
#include "scheduler/CVELMSchThread.h"
#include "scheduler/NextRunTime.h"
#include "scheduler/ScheduleStore.h"

#include "VXNServiceFramework/client/PeerCaller.h"

#include <benchmark/benchmark.h>

#include <QLoggingCategory>
#include <malloc.h>
#include <map>

namespace {

constexpr int kItems = 100000;

// Never reached: the items are not permanent and never due.
class NoPeers : public PeerCaller {
public:
    std::unique_ptr<Packet> call(Packet&, const ResponseFactory& makeResponse) override {
        return makeResponse();
    }
    void callAsync(std::unique_ptr<Packet>) override {}
};

// A daily item that starts tomorrow, with a command text of the size the report generator
// stores.
ScheduleItem sampleItem(int i) {
    ScheduleItem item;
    item.startTime = QDateTime::currentDateTime().addDays(1).addSecs(i % 86400);
    item.intervalType = OccurDaily;
    item.intervalValue = 1;
    item.commandToSend =
        QStringLiteral("<VXNRequest command=\"RGPGenerateAndSendReportByEmail\">%1</VXNRequest>")
            .arg(QString(600, QLatin1Char('x')));
    item.tag = QStringLiteral("Autosend");
    return item;
}

QString serviceOf(int i) {
    return QStringLiteral("Service%1").arg(i % 10);
}

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

struct Fixture {
    NoPeers peers;
    ScheduleStore store{peers};

    Fixture() { store.skipLoad(); }

    void fill() {
        for (int i = 0; i < kItems; ++i)
            store.registerItem(serviceOf(i), -1, sampleItem(i));
    }
};

void silenceLogs() {
    // A pass writes three log lines per item; the figures are for the work itself.
    QLoggingCategory::setFilterRules(QStringLiteral("info.info=false\nwarning.info=false"));
}

void BM_Register100k(benchmark::State& state) {
    silenceLogs();
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<Fixture>();
        std::vector<ScheduleItem> items;
        items.reserve(kItems);
        for (int i = 0; i < kItems; ++i)
            items.push_back(sampleItem(i));
        const std::size_t before = heapInUse();
        state.ResumeTiming();
        for (int i = 0; i < kItems; ++i)
            fixture->store.registerItem(serviceOf(i), -1, std::move(items[i]));
        state.PauseTiming();
        // The command texts were allocated before; this is the store's own share plus the
        // texts it now holds.
        state.counters["bytes_per_item"] = double(heapInUse() - before) / kItems;
        fixture.reset();
        state.ResumeTiming();
    }
    state.counters["items_per_s"] =
        benchmark::Counter(double(kItems) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Register100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Register100kBaselineMap(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto owned = std::make_unique<std::map<QString, std::map<qint32, ScheduleItem>>>();
        auto& map = *owned;
        std::vector<ScheduleItem> items;
        items.reserve(kItems);
        for (int i = 0; i < kItems; ++i)
            items.push_back(sampleItem(i));
        state.ResumeTiming();
        for (int i = 0; i < kItems; ++i) {
            auto& service = map[serviceOf(i)];
            const qint32 id = service.empty() ? 0 : service.rbegin()->first + 1;
            service.emplace(id, std::move(items[i]));
        }
        benchmark::DoNotOptimize(map);
        state.PauseTiming();
        owned.reset();
        state.ResumeTiming();
    }
    state.counters["items_per_s"] =
        benchmark::Counter(double(kItems) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Register100kBaselineMap)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MemoryPerItem(benchmark::State& state) {
    silenceLogs();
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        auto fixture = std::make_unique<Fixture>();
        fixture->fill();
        const std::size_t after = heapInUse();
        state.counters["bytes_per_item"] = double(after - before) / kItems;
        const std::size_t text = sizeof(QChar) * std::size_t(sampleItem(0).commandToSend.size());
        state.counters["bytes_per_item_less_text"] = double(after - before) / kItems - double(text);
    }
}
BENCHMARK(BM_MemoryPerItem)->Unit(benchmark::kMillisecond)->Iterations(1);

// The first pass computes every item's next run; later passes only compare the planned times.
void BM_FirstPass100k(benchmark::State& state) {
    silenceLogs();
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<Fixture>();
        fixture->fill();
        CVELMSchThread worker(fixture->store, fixture->peers, std::chrono::seconds(300));
        state.ResumeTiming();
        benchmark::DoNotOptimize(worker.pass());
        state.PauseTiming();
        fixture.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstPass100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Pass100k(benchmark::State& state) {
    silenceLogs();
    Fixture fixture;
    fixture.fill();
    CVELMSchThread worker(fixture.store, fixture.peers, std::chrono::seconds(300));
    worker.pass();
    for (auto _ : state)
        benchmark::DoNotOptimize(worker.pass());
}
BENCHMARK(BM_Pass100k)->Unit(benchmark::kMillisecond);

void BM_NextRunBaseline100k(benchmark::State& state) {
    std::vector<ScheduleItem> items;
    for (int i = 0; i < kItems; ++i)
        items.push_back(sampleItem(i));
    for (auto _ : state) {
        for (ScheduleItem& item : items) {
            item.nextTime = nextRunTime(item.startTime, item.intervalType, item.intervalValue,
                                        QDateTime::currentDateTime());
        }
        benchmark::DoNotOptimize(items.data());
    }
}
BENCHMARK(BM_NextRunBaseline100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
