// Reading one key from a preference file bloated with keys (by hand or by
// another program): the time should grow with the file's size, not with its
// square. Run with sizes 1 MB to 32 MB; each step should take about twice the
// one before.

#include "kit/ZRPrefsManager.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestDevice.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr const char* domain = "com.zorvelin.MarqelPrefs";

// A domain file of about `megabytes` MB: short keys, small integers.
void writeBloatedDomain(const TestDevice& device, std::int64_t megabytes)
{
    std::string path = device.host(ZRPrefsManager::devicePathForDomain(domain));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    std::int64_t written = 0;
    for (std::int64_t i = 0; written < megabytes * 1024 * 1024; ++i) {
        std::string entry = "\t<key>bloat" + std::to_string(i) + "</key>\n\t<integer>" + std::to_string(i) + "</integer>\n";
        out << entry;
        written += static_cast<std::int64_t>(entry.size());
    }
    out << "\t<key>defaultWidth</key>\n\t<integer>120</integer>\n</dict>\n</plist>\n";
}

void BM_ReadOneKeyFromABloatedFile(benchmark::State& state)
{
    TestDevice device;
    writeBloatedDomain(device, state.range(0));
    auto manager = ZRPrefsManager::sharedInstance();
    for (auto _ : state) {
        if (manager->integerForKey("defaultWidth", 250, domain) != 120)
            state.SkipWithError("the key was not read");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024 * 1024);
}
BENCHMARK(BM_ReadOneKeyFromABloatedFile)->RangeMultiplier(2)->Range(1, 32)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
