// Reading one key from a preference file bloated with keys (by hand or by
// another program), in kilobytes up to the 4 MB a property list may be, and
// past it, where the file is refused at once whatever its size. Within the
// limit, the time is mostly libplist's XML parser, which grows faster than
// the file; the aim is under a second at the limit and a few milliseconds
// past it.

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

// A domain file of about `kilobytes` KB: short keys, small integers.
void writeBloatedDomain(const TestDevice& device, std::int64_t kilobytes)
{
    std::string path = device.host(ZRPrefsManager::devicePathForDomain(domain));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    std::int64_t written = 0;
    for (std::int64_t i = 0; written < kilobytes * 1024; ++i) {
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
        bool within = state.range(0) * 1024 < static_cast<std::int64_t>(plist::maxInputBytes);
        if (manager->integerForKey("defaultWidth", 250, domain) != (within ? 120 : 250))
            state.SkipWithError("the key was not read as expected");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024);
}
BENCHMARK(BM_ReadOneKeyFromABloatedFile)->Arg(256)->Arg(1024)->Arg(2048)->Arg(4000)->Arg(50 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
