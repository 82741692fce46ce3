// Listing and adding with 1,000 saved areas in the file: each loads the
// whole file, and an add rewrites it whole. The aim is at most 20 ms each.

#include "common/SavedAreaStore.h"
#include "platform/foundation/Foundation.h"
#include "tests/support/TestDevice.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int areaCount = 1000;

// A scratch device whose file holds `areaCount` areas.
class ThousandAreas {
public:
    ThousandAreas()
    {
        auto contents = SavedAreaStore::load();
        for (int i = 0; i < areaCount; ++i) {
            std::string id = std::to_string(1765170000000LL + i);
            contents.dictionary->setObject(SavedAreaFormat::makeRecord(id, "Area " + std::to_string(i),
                                               CGRectMake(i % 390 + 0.25, i % 844 + 0.5, 150 + i % 200, 150 + i % 300)),
                id);
        }
        if (!SavedAreaStore::save(contents, "bench").ok())
            std::abort();
    }

private:
    TestDevice m_device;
};

void BM_ListThousandAreas(benchmark::State& state)
{
    ThousandAreas device;
    for (auto _ : state) {
        auto records = SavedAreaStore::list(*SavedAreaStore::load().dictionary);
        if (records.size() != areaCount)
            state.SkipWithError("the list lost areas");
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_ListThousandAreas)->Unit(benchmark::kMillisecond);

void BM_AddToThousandAreas(benchmark::State& state)
{
    ThousandAreas device;
    for (auto _ : state) {
        auto contents = SavedAreaStore::load();
        auto added = SavedAreaStore::add(contents, "Bench", CGRectMake(10, 20, 300, 200));
        if (!added.ok())
            state.SkipWithError("the add failed");
        // An add never replaces a record; taking it out again, untimed,
        // keeps the file at its size.
        state.PauseTiming();
        if (added.ok() && !SavedAreaStore::remove(contents, added.value().key).ok())
            state.SkipWithError("the remove failed");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddToThousandAreas)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
