#include "bench/reliability/PreferenceCrashes.h"

#include "bench/reliability/ChildProcess.h"
#include "common/MarqelPreferences.h"
#include "common/SavedAreaStore.h"
#include "kit/ZRPrefsManager.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TempDir.h"

#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace reliability::PreferenceCrashes {

namespace {

namespace P = MarqelPreferences;
constexpr std::array numberKeys { P::defaultX.name, P::defaultY.name, P::defaultWidth.name, P::defaultHeight.name };

void say(const std::string& line)
{
    std::string text = line + "\n";
    // One write per line: a kill never leaves half a line in the pipe.
    (void)!::write(STDOUT_FILENO, text.data(), text.size());
}

// What the harness knows the files hold: the changes reported done.
struct Model {
    std::map<std::string, std::int64_t> preferences;
    std::map<std::string, std::string> areas;  // id -> name
};

// The change under way when the writer died, if it had begun one.
struct Pending {
    std::string kind;  // "pref", "add", "remove"
    std::string key;  // preference key, or the removed id
    std::int64_t value = 0;
    std::string name;  // an added area's name
};

void apply(Model& model, const std::string& line, std::optional<Pending>& pending)
{
    std::istringstream words(line);
    std::string verb, kind;
    long long step = 0;
    words >> verb >> step >> kind;
    if (verb == "begin") {
        Pending p;
        p.kind = kind;
        if (kind == "pref")
            words >> p.key >> p.value;
        else if (kind == "add")
            words >> p.name;
        else
            words >> p.key;
        pending = p;
    } else if (verb == "done" && pending) {
        if (pending->kind == "pref")
            model.preferences[pending->key] = pending->value;
        else if (pending->kind == "add")
            model.areas[kind] = pending->name;  // "done K <id>"
        else
            model.areas.erase(pending->key);
        pending.reset();
    } else if (verb == "failed")
        pending.reset();
}

int temporariesIn(const std::string& folder)
{
    int count = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.starts_with(".") && !name.ends_with(".lock"))
            ++count;
    }
    return count;
}

// Compares the files with the model, allowing the pending change to have
// landed or not, then takes what the files hold as the new model.
void check(CaseOutcome& outcome, Model& model, const std::optional<Pending>& pending)
{
    auto manager = ZRPrefsManager::sharedInstance();
    if (auto readable = manager->readable(P::domain); !readable)
        outcome.fault(outcome.corruptFiles, "the preference file cannot be read: " + readable.message());
    if (!manager->keptUnreadableFiles(P::domain).empty())
        outcome.fault(outcome.corruptFiles, "a write found the preference file damaged and kept it aside");
    for (auto& [key, value] : model.preferences) {
        std::int64_t stored = manager->floatForKey(key, -1, P::domain);
        bool landed = pending && pending->kind == "pref" && pending->key == key && pending->value == stored;
        if (stored != value && !landed)
            outcome.fault(outcome.lostChanges, key + " is " + std::to_string(stored) + ", the writer had set " + std::to_string(value));
        value = stored;
    }
    if (pending && pending->kind == "pref" && !model.preferences.count(pending->key))
        if (auto stored = manager->valueForKey(pending->key, P::domain))
            model.preferences[pending->key] = manager->floatForKey(pending->key, -1, P::domain);

    auto contents = SavedAreaStore::load();
    if (contents.unreadable)
        outcome.fault(outcome.corruptFiles, "the saved-area file cannot be read");
    std::map<std::string, std::string> found;
    for (const auto& area : SavedAreaStore::list(*contents.dictionary))
        found[area.key] = area.name;
    for (const auto& [id, name] : model.areas) {
        bool removing = pending && pending->kind == "remove" && pending->key == id;
        auto it = found.find(id);
        // An add never replaces a record, not even one of the same millisecond.
        if ((it == found.end() && !removing) || (it != found.end() && it->second != name))
            outcome.fault(outcome.lostChanges, "the area " + id + " (" + name + ") is gone");
    }
    for (const auto& [id, name] : found) {
        bool adding = pending && pending->kind == "add" && pending->name == name;
        if (!model.areas.count(id) && !adding)
            outcome.fault(outcome.corruptFiles, "an area nobody added appeared: " + id + " (" + name + ")");
    }
    model.areas = found;
}

}  // namespace

int writerMain(const std::string& root, std::uint64_t seed)
{
    DevicePath::setRoot(root);
    // Identifiers come from the clock, as on the phone.
    RunLoop::main().reset(ClockKind::Real);
    std::mt19937_64 random(seed);
    auto manager = ZRPrefsManager::sharedInstance();
    std::vector<std::string> ids;
    for (const auto& area : SavedAreaStore::list(*SavedAreaStore::load().dictionary))
        ids.push_back(area.key);
    say("ready");
    for (long long step = 1;; ++step) {
        std::string number = std::to_string(step);
        unsigned choice = random() % 4;
        if (choice < 2) {
            const char* key = numberKeys[random() % numberKeys.size()];
            std::int64_t value = static_cast<std::int64_t>(random() % 100000);
            say("begin " + number + " pref " + key + " " + std::to_string(value));
            say(manager->setFloat(value, key, P::domain) ? "done " + number : "failed " + number);
        } else if (choice == 2 || ids.empty()) {
            std::string name = "area-" + std::to_string(seed) + "-" + number;
            say("begin " + number + " add " + name);
            auto contents = SavedAreaStore::load();
            auto added = SavedAreaStore::add(contents, name, CGRectMake(step % 300, step % 700, 60 + step % 200, 60 + step % 100));
            if (added)
                ids.push_back(added.value().key);
            say(added ? "done " + number + " " + added.value().key : "failed " + number);
        } else {
            std::size_t index = random() % ids.size();
            std::string id = ids[index];
            say("begin " + number + " remove " + id);
            auto contents = SavedAreaStore::load();
            auto removed = SavedAreaStore::remove(contents, id);
            if (removed)
                ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(index));
            say(removed ? "done " + number : "failed " + number);
        }
    }
}

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "kill -9 of a preference and saved-area writer";
    testsupport::TempDir root("marqel-reliability-writer");
    DevicePath::setRoot(root.path());
    std::mt19937_64 random(options.seed);
    Model model;
    auto started = std::chrono::steady_clock::now();
    std::string preferencesFolder = DevicePath::toHost("/var/mobile/Library/Preferences").value();
    std::string areasFolder = std::filesystem::path(DevicePath::toHost(SavedAreaStore::devicePath).value()).parent_path().string();
    for (int trial = 0; trial < options.trials; ++trial) {
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() > options.caseSeconds) {
            outcome.note = "stopped at the time limit";
            break;
        }
        ++outcome.trials;
        ChildProcess writer({ { options.self, "--child", "writer", "--root", root.path(), "--seed",
            std::to_string(options.seed * 100003 + static_cast<std::uint64_t>(trial)) } });
        std::optional<Pending> pending;
        if (writer.readLine(std::chrono::seconds(30)) != "ready") {
            outcome.fault(outcome.crashes, "the writer did not start");
            continue;
        }
        // Somewhere in its first few dozen changes.
        auto killAt = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 60000);
        while (true) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(killAt - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            auto line = writer.readLine(left);
            if (!line)
                break;
            apply(model, *line, pending);
        }
        writer.kill(SIGKILL);
        // What it printed before it died is still in the pipe.
        std::istringstream rest(writer.readRest());
        for (std::string line; std::getline(rest, line);)
            apply(model, line, pending);
        int status = writer.wait();
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL)
            outcome.fault(outcome.crashes, "the writer ended by itself, status " + std::to_string(status));
        check(outcome, model, pending);
    }
    // The next start after the last kill: one write to each file, after
    // which no writer's temporary may be left.
    ZRPrefsManager::sharedInstance()->setFloat(1, P::defaultX.name, P::domain);
    auto contents = SavedAreaStore::load();
    (void)SavedAreaStore::add(contents, "after", CGRectMake(0, 0, 100, 100));
    outcome.leftovers = temporariesIn(preferencesFolder) + temporariesIn(areasFolder);
    if (outcome.leftovers)
        outcome.faults.push_back(std::to_string(outcome.leftovers) + " temporaries in the preference folders after the next write");
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

}  // namespace reliability::PreferenceCrashes
