#include "bench/reliability/SavedAreaRaces.h"

#include "bench/reliability/ChildProcess.h"
#include "common/MarqelPreferences.h"
#include "common/SavedAreaStore.h"
#include "kit/ZRPrefsManager.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TempDir.h"

#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace reliability::SavedAreaRaces {

namespace {

namespace P = MarqelPreferences;
using Rectangle = std::array<std::int64_t, 4>;

constexpr int commandWriters = 3;
// The two areas the defaulters pick, and the default rectangle each gives.
constexpr Rectangle areaA { 11, 12, 113, 114 }, areaB { 21, 22, 223, 224 };

std::string text(const Rectangle& r)
{
    return std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]) + " " + std::to_string(r[3]);
}

// The four default-rectangle keys as one read of the domain file finds
// them; nothing while none is there yet.
std::optional<Rectangle> defaultRectangle(const std::string& domainFile, std::string& problem)
{
    auto root = plist::readFile(domainFile);
    if (!root) {
        if (root.code() != foundation::ErrorCode::NotFound)
            problem = "the preference file did not read: " + root.message();
        return std::nullopt;
    }
    const PlistDict* keys = root.value().get<PlistDict>();
    if (!keys) {
        problem = "the preference file holds no dictionary";
        return std::nullopt;
    }
    Rectangle found {};
    int present = 0;
    const std::array names { P::defaultX.name, P::defaultY.name, P::defaultWidth.name, P::defaultHeight.name };
    for (std::size_t i = 0; i < names.size(); ++i) {
        const PlistValue* value = keys->find(names[i]);
        if (const std::int64_t* whole = value ? value->get<std::int64_t>() : nullptr) {
            found[i] = *whole;
            ++present;
        }
    }
    if (present == 0)
        return std::nullopt;
    if (present != 4)
        problem = std::to_string(present) + " of the four default keys are there";
    return found;
}

// The last column of `marqel areas add`'s line: the new area's id.
std::string idFromLine(const std::string& output)
{
    std::string line = output.substr(0, output.find('\n'));
    auto tab = line.rfind('\t');
    return tab == std::string::npos ? std::string() : line.substr(tab + 1);
}

}  // namespace

int adderMain(const std::string& root, const std::string& prefix, int count)
{
    DevicePath::setRoot(root);
    // Identifiers from the clock, as on the phone.
    RunLoop::main().reset(ClockKind::Real);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        std::string name = prefix + "-" + std::to_string(i);
        auto contents = SavedAreaStore::load();
        auto added = SavedAreaStore::add(contents, name, CGRectMake(i % 300, i % 700, 60 + i % 200, 60 + i % 100));
        if (!added) {
            ++failed;
            continue;
        }
        std::string line = "added " + added.value().key + " " + name + "\n";
        (void)!::write(STDOUT_FILENO, line.data(), line.size());
    }
    return failed ? 1 : 0;
}

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "saved-area writers and `areas default` racing a reader";
    testsupport::TempDir root("marqel-reliability-areas");
    DevicePath::setRoot(root.path());
    auto started = std::chrono::steady_clock::now();
    std::string log = root.file("commands.log");
    auto marqel = [&](std::vector<std::string> words, std::string* output = nullptr) {
        return runToEnd(marqelCommand(options.marqel, root.path(), std::move(words), log), output);
    };
    std::string areasFile = DevicePath::toHost(SavedAreaStore::devicePath).value();
    std::string domainFile = DevicePath::toHost(ZRPrefsManager::devicePathForDomain(P::domain)).value();

    // The two areas the defaulters pick.
    std::string idA, idB;
    for (auto [id, r, name] : { std::tuple { &idA, areaA, "A" }, std::tuple { &idB, areaB, "B" } }) {
        std::string output;
        if (marqel({ "areas", "add", name, std::to_string(r[0]), std::to_string(r[1]), std::to_string(r[2]), std::to_string(r[3]) }, &output) != 0) {
            outcome.fault(outcome.crashes, std::string("could not add area ") + name + "; see " + log);
            return outcome;
        }
        *id = idFromLine(output);
    }

    std::mutex mutex;  // guards `reported` and the outcome's counters
    std::map<std::string, std::string> reported;  // id -> name, for every add that said it was done
    auto report = [&](const std::string& id, const std::string& name) {
        std::lock_guard guard(mutex);
        if (reported.count(id))
            outcome.fault(outcome.lostChanges, "two adds reported the one id " + id + ": " + reported[id] + " and " + name);
        reported[id] = name;
    };
    auto failure = [&](const std::string& what) {
        std::lock_guard guard(mutex);
        outcome.fault(outcome.crashes, what + "; see " + log);
    };

    std::vector<std::thread> workers;
    for (int w = 0; w < commandWriters; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < options.areaAdds; ++i) {
                std::string name = "cmd" + std::to_string(w) + "-" + std::to_string(i);
                std::string output;
                if (marqel({ "areas", "add", name, std::to_string(i), std::to_string(i), "100", "100" }, &output) != 0)
                    failure("`marqel areas add " + name + "` failed");
                else
                    report(idFromLine(output), name);
            }
        });
    workers.emplace_back([&] {
        ChildProcess overlay({ { options.self, "--child", "areas", "--root", root.path(), "--prefix", "store", "--keys",
                                   std::to_string(options.areaAdds) },
            log });
        while (auto line = overlay.readLine(std::chrono::minutes(10))) {
            std::istringstream words(*line);
            std::string verb, id, name;
            words >> verb >> id >> name;
            report(id, name);
        }
        int status = overlay.wait();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            failure("the store's adder failed");
    });
    for (const std::string* id : { &idA, &idB })
        workers.emplace_back([&, id] {
            for (int i = 0; i < options.areaAdds; ++i)
                if (marqel({ "areas", "default", *id }) != 0)
                    failure("`marqel areas default " + *id + "` failed");
        });

    std::atomic<bool> racing { true };
    int reads = 0;
    std::thread reader([&] {
        std::size_t seen = 0;
        // One last read after every writer has finished.
        for (bool more = true; more; ++reads) {
            more = racing.load();
            std::string problem;
            auto rectangle = defaultRectangle(domainFile, problem);
            std::lock_guard guard(mutex);
            if (!problem.empty())
                outcome.fault(outcome.tornReads, problem);
            else if (rectangle && *rectangle != areaA && *rectangle != areaB)
                outcome.fault(outcome.tornReads, "a read found the default rectangle " + text(*rectangle) + ", a mix of two areas");
            auto areas = plist::readFile(areasFile);
            const PlistDict* records = areas ? areas.value().get<PlistDict>() : nullptr;
            if (!records) {
                outcome.fault(outcome.corruptFiles, "a read found the saved-area file unreadable");
                continue;
            }
            if (records->size() < seen)
                outcome.fault(outcome.lostUpdates,
                    "a read held " + std::to_string(records->size()) + " areas after one held " + std::to_string(seen));
            seen = std::max(seen, records->size());
        }
    });
    for (auto& worker : workers)
        worker.join();
    racing = false;
    reader.join();

    auto contents = SavedAreaStore::load();
    if (contents.unreadable)
        outcome.fault(outcome.corruptFiles, "the saved-area file does not read at the end");
    std::map<std::string, std::string> kept;
    for (const auto& area : SavedAreaStore::list(*contents.dictionary))
        kept[area.key] = area.name;
    for (const auto& [id, name] : reported) {
        auto it = kept.find(id);
        if (it == kept.end() || it->second != name)
            outcome.fault(outcome.lostChanges, "the area " + name + " (" + id + ") was reported added and is lost");
    }
    std::string problem;
    auto last = defaultRectangle(domainFile, problem);
    if (!last || (*last != areaA && *last != areaB))
        outcome.fault(outcome.tornReads, "the default rectangle at the end is " + (last ? text(*last) : problem));

    outcome.trials = (commandWriters + 1 + 2) * options.areaAdds;
    outcome.note = std::to_string(reads) + " reads";
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

}  // namespace reliability::SavedAreaRaces
