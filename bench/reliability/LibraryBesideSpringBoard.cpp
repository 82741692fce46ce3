#include "bench/reliability/LibraryBesideSpringBoard.h"

#include "bench/reliability/ChildProcess.h"
#include "bench/reliability/LibraryCheck.h"
#include "bench/reliability/Movies.h"
#include "platform/photos/PhotoLibraryStore.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <sstream>
#include <thread>

namespace reliability::LibraryBesideSpringBoard {

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The identifier is the first word of the line `library import` prints.
std::string firstWord(const std::string& text)
{
    std::istringstream in(text);
    std::string word;
    in >> word;
    return word;
}

}  // namespace

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "`marqel library` beside SpringBoard saving recordings";
    testsupport::TempDir root("marqel-reliability-library");
    std::string log = root.file("commands.log");
    auto marqel = [&](std::vector<std::string> words) { return marqelCommand(options.marqel, root.path(), std::move(words), log); };
    std::string movie = root.file("imported.mov");
    if (!Movies::make(movie, "320x240", 1.0)) {
        outcome.fault(outcome.crashes, "ffmpeg could not make the movie to import");
        return outcome;
    }
    auto started = Clock::now();
    LibraryCheck library(root.path());

    // Whole runs, one at a time (the root's lock refuses a second
    // SpringBoard), each saving a crop and moving its recording away.
    const int runs = std::max(1, options.commandTrials / 5);
    std::atomic<int> saved { 0 };
    std::atomic<bool> running { true };
    std::vector<std::string> runFailures;
    std::thread springBoard([&] {
        for (int i = 0; i < runs; ++i) {
            if (runToEnd(marqel({ "run" })) == 0)
                ++saved;
            else
                runFailures.push_back("run " + std::to_string(i + 1));
        }
        running = false;
    });

    // What the library side expects: each identifier it imported, and
    // whether it should now be in Recently Deleted.
    std::map<std::string, bool> imported;
    int step = 0;
    while (running.load() || step < 3) {
        ++outcome.trials;
        std::string output;
        const int kind = step++ % 4;
        switch (kind) {
        case 0: {
            if (runToEnd(marqel({ "library", "import", movie }), &output) != 0) {
                outcome.fault(outcome.crashes, "`library import` failed beside SpringBoard; see " + log);
                break;
            }
            imported[firstWord(output)] = false;
            library.noteImported(firstWord(output));
            break;
        }
        case 1:
            if (runToEnd(marqel({ "library", "list", "--all" }), &output) != 0) {
                outcome.fault(outcome.crashes, "`library list` failed beside SpringBoard; see " + log);
                break;
            }
            for (const auto& [identifier, trashed] : imported)
                if (output.find(identifier) == std::string::npos)
                    outcome.fault(outcome.lostUpdates, "the list lacks the imported " + identifier);
            break;
        case 2:
        case 3: {
            // Alternately delete the newest import and bring one back.
            const bool remove = kind == 2;
            auto it = std::find_if(imported.begin(), imported.end(), [&](const auto& entry) { return entry.second != remove; });
            if (it == imported.end())
                break;
            if (runToEnd(marqel({ "library", remove ? "rm" : "restore", it->first })) != 0) {
                outcome.fault(outcome.crashes, std::string("`library ") + (remove ? "rm" : "restore") + "` failed beside SpringBoard; see " + log);
                break;
            }
            it->second = remove;
            break;
        }
        }
    }
    springBoard.join();
    for (const auto& failure : runFailures)
        outcome.fault(outcome.crashes, failure + " beside the library failed; see " + log);

    library.checkDatabase(outcome);
    library.checkContents(outcome);
    if (int left = library.temporaries())
        outcome.fault(outcome.leftovers, std::to_string(left) + " temporaries after the last command");

    auto store = photos::PhotoLibraryStore::open(std::filesystem::path(root.path()) / "var/mobile/Media");
    if (!store) {
        outcome.fault(outcome.corruptFiles, "the library does not open: " + store.message());
        return outcome;
    }
    photos::FetchQuery everything;
    everything.includeTrashed = true;
    auto records = store.value()->fetch(everything);
    if (!records) {
        outcome.fault(outcome.corruptFiles, "the library cannot be listed: " + records.message());
        return outcome;
    }
    int crops = 0;
    std::map<std::string, bool> found;
    for (const auto& record : records.value()) {
        if (imported.count(record.localIdentifier))
            found[record.localIdentifier] = record.isTrashed();
        else if (!LibraryCheck::isOriginal(record) && !record.isTrashed())
            ++crops;
    }
    if (crops != saved.load())
        outcome.fault(outcome.lostUpdates, std::to_string(saved.load()) + " runs saved a crop, but the library holds " + std::to_string(crops));
    for (const auto& [identifier, trashed] : imported) {
        auto it = found.find(identifier);
        if (it == found.end())
            outcome.fault(outcome.lostUpdates, "the imported " + identifier + " is gone");
        else if (it->second != trashed)
            outcome.fault(outcome.lostUpdates, "the imported " + identifier + (trashed ? " is not" : " is") + " in Recently Deleted");
    }
    outcome.note = std::to_string(runs) + " runs, " + std::to_string(outcome.trials) + " library commands";
    outcome.trials += runs;
    outcome.seconds = since(started);
    return outcome;
}

}  // namespace reliability::LibraryBesideSpringBoard
