// Arbitrary text through the scenario reader and the step parser, with a
// driver that has nothing to boot: every step is parsed and its arguments
// checked, touches and waits reach the bare UI stand-in, and nothing starts
// a process or writes a file. Each input starts from a fresh screen, run
// loop and log, so a fault found replays alone.

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScenarioFile.h"
#include "platform/foundation/Foundation.h"
#include "tests/support/TestDevice.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path& scratchRoot()
{
    static std::filesystem::path root;
    return root;
}

void removeScratchRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratchRoot(), ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // No step here writes a file, but a stray write must not land in the
    // user's own device.
    scratchRoot() = std::filesystem::temp_directory_path() / ("marqel-fuzz-scenario-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratchRoot());
    DevicePath::setRoot(scratchRoot().string());
    std::atexit(removeScratchRoot);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The same reset as between tests, so nothing one input left behind (a
    // signalled stop, a shown home screen, a cached picture) decides the next.
    TestDevice::resetSingletons();
    automation::ScenarioDriver driver;
    auto refused = automation::ScenarioDriver::Booter { "no process",
        []() -> foundation::Status { return foundation::Error { foundation::ErrorCode::InvalidState, "nothing boots under the fuzzer" }; },
        [] { return false; } };
    if (!driver.setBooter(std::move(refused)))
        std::abort();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    (void)automation::runScenario(driver, in, "fuzz.scn");
    return 0;
}
