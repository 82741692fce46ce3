#include "bench/reliability/PreferenceRaces.h"

#include "bench/reliability/ChildProcess.h"
#include "common/MarqelPreferences.h"
#include "kit/ZRPrefsManager.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <chrono>
#include <sys/wait.h>
#include <thread>

namespace reliability::PreferenceRaces {

namespace {

constexpr const char* domain = MarqelPreferences::domain;

}  // namespace

int writerMain(const std::string& root, const std::string& prefix, int count)
{
    DevicePath::setRoot(root);
    auto manager = ZRPrefsManager::sharedInstance();
    int failed = 0;
    for (int i = 1; i <= count; ++i)
        failed += !manager->setFloat(i, prefix + std::to_string(i), domain);
    return failed ? 1 : 0;
}

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "two preference writers and a reader";
    testsupport::TempDir root("marqel-reliability-race");
    DevicePath::setRoot(root.path());
    auto started = std::chrono::steady_clock::now();
    std::string log = root.file("writers.log");
    auto writer = [&](const char* prefix) {
        return ChildProcess::Setup { { options.self, "--child", "keys", "--root", root.path(), "--prefix", prefix, "--keys",
                                         std::to_string(options.keys) },
            log };
    };
    int reads = 0;
    std::string host = DevicePath::toHost(ZRPrefsManager::devicePathForDomain(domain)).value();
    ChildProcess first(writer("a")), second(writer("b"));
    std::atomic<bool> writing { true };
    std::thread reader([&] {
        std::size_t seen = 0;
        // One last read after both writers have finished.
        for (bool more = true; more;) {
            more = writing.load();
            auto manager = ZRPrefsManager::sharedInstance();
            if (auto readable = manager->readable(domain); !readable) {
                outcome.fault(outcome.tornReads, "a read found the file unreadable: " + readable.message());
                continue;
            }
            auto read = plist::readFile(host);
            if (!read)
                continue;  // not written yet
            const auto* dict = read.value().get<PlistDict>();
            if (!dict) {
                outcome.fault(outcome.tornReads, "a read found no dictionary");
                continue;
            }
            if (dict->size() < seen)
                outcome.fault(outcome.tornReads, "a read held " + std::to_string(dict->size()) + " keys after one held " + std::to_string(seen));
            seen = std::max(seen, dict->size());
            ++reads;
        }
    });
    int statusA = first.wait(), statusB = second.wait();
    writing = false;
    reader.join();
    if (!WIFEXITED(statusA) || WEXITSTATUS(statusA) || !WIFEXITED(statusB) || WEXITSTATUS(statusB))
        outcome.fault(outcome.crashes, "a writer failed; see " + log);
    // One read of the final file: asking the manager key by key would
    // parse the whole file once per key.
    auto final = plist::readFile(host);
    const PlistDict* keys = final ? final.value().get<PlistDict>() : nullptr;
    if (!keys)
        outcome.fault(outcome.corruptFiles, "the final file does not read as a dictionary");
    for (const char* prefix : { "a", "b" })
        for (int i = 1; keys && i <= options.keys; ++i) {
            const PlistValue* value = keys->find(prefix + std::to_string(i));
            const std::int64_t* stored = value ? value->get<std::int64_t>() : nullptr;
            const double* real = value ? value->get<double>() : nullptr;
            if (!(stored && *stored == i) && !(real && *real == i))
                outcome.fault(outcome.lostUpdates, std::string(prefix) + std::to_string(i) + " was lost");
        }
    outcome.note = std::to_string(reads) + " reads";
    outcome.trials = 2 * options.keys;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

}  // namespace reliability::PreferenceRaces
