#include "bench/reliability/CommandCrashes.h"

#include "bench/reliability/ChildProcess.h"
#include "bench/reliability/LibraryCheck.h"
#include "bench/reliability/Movies.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>

namespace reliability::CommandCrashes {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Starts a command, kills its group after `delay` unless it ended first, and
// says whether the kill happened; a command that ended by itself must have
// succeeded.
bool killAfter(CaseOutcome& outcome, const ChildProcess::Setup& setup, std::chrono::microseconds delay)
{
    ChildProcess child(setup);
    int status = 0;
    if (!child.waitFor(std::chrono::duration_cast<std::chrono::milliseconds>(delay), status)) {
        child.kill(SIGKILL);
        child.wait();
        return true;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        outcome.fault(outcome.crashes, "an unkilled " + setup.arguments[3] + " ended with status " + std::to_string(status));
    return false;
}

}  // namespace

CaseOutcome runKills(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "kill -9 of `marqel run`";
    testsupport::TempDir root("marqel-reliability-run");
    std::mt19937_64 random(options.seed ^ 0x72756e);
    LibraryCheck library(root.path());
    std::string log = root.file("commands.log");
    auto marqel = [&](std::vector<std::string> words) { return marqelCommand(options.marqel, root.path(), std::move(words), log); };
    auto started = Clock::now();
    // An unkilled run first: it shows the command works here and sets the
    // window the kills are spread over.
    auto whole = Clock::now();
    if (runToEnd(marqel({ "run" })) != 0) {
        outcome.fault(outcome.crashes, "a whole run failed before any kill; see " + log);
        return outcome;
    }
    double window = since(whole);
    library.checkContents(outcome);
    for (int trial = 0; trial < options.commandTrials; ++trial) {
        if (since(started) > options.caseSeconds) {
            outcome.note = "stopped at the time limit";
            break;
        }
        ++outcome.trials;
        auto delay = std::chrono::microseconds(static_cast<long long>(window * 1e6 * (random() % 1000) / 1000.0));
        killAfter(outcome, marqel({ "run" }), delay);
        library.checkDatabase(outcome);
        // The next start: it must work, and clear what the killed one left.
        if (runToEnd(marqel({ "library", "list", "--all" })) != 0)
            outcome.fault(outcome.crashes, "`marqel library list` failed after the kill");
        library.checkContents(outcome);
        if (int left = library.temporaries())
            outcome.fault(outcome.leftovers, std::to_string(left) + " temporaries after the next start");
        bool last = trial + 1 == options.commandTrials;
        if ((trial + 1) % 10 == 0 || last) {
            if (runToEnd(marqel({ "run" })) != 0)
                outcome.fault(outcome.crashes, "a whole run after the kills failed; see " + log);
            library.checkContents(outcome);
        }
    }
    outcome.seconds = since(started);
    return outcome;
}

CaseOutcome cropKills(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "kill -9 of `marqel crop --delete-input`";
    testsupport::TempDir root("marqel-reliability-crop");
    std::mt19937_64 random(options.seed ^ 0x63726f70);
    std::string source = root.file("source.mov");
    std::string folder = root.file("out");
    fs::create_directories(folder);
    if (!Movies::make(source, "1170x2532", 1.5)) {
        outcome.fault(outcome.crashes, "ffmpeg could not make the source movie");
        return outcome;
    }
    std::string log = root.file("commands.log");
    auto crop = [&](const std::string& in, const std::string& out) {
        return ChildProcess::Setup { { options.marqel, "--root", root.path(), "crop", in, out, "--screen", "390x844", "--rect",
                                         "20,100,250,250", "--delete-input", "--force" },
            log };
    };
    auto started = Clock::now();
    std::string in = folder + "/recording.mov";
    std::string out = folder + "/cropped.mov";
    fs::copy_file(source, in, fs::copy_options::overwrite_existing);
    auto whole = Clock::now();
    if (runToEnd(crop(in, out)) != 0) {
        outcome.fault(outcome.crashes, "a whole crop failed before any kill; see " + log);
        return outcome;
    }
    double window = since(whole);
    for (int trial = 0; trial < options.commandTrials; ++trial) {
        if (since(started) > options.caseSeconds) {
            outcome.note = "stopped at the time limit";
            break;
        }
        ++outcome.trials;
        fs::remove(out);
        fs::copy_file(source, in, fs::copy_options::overwrite_existing);
        auto delay = std::chrono::microseconds(static_cast<long long>(window * 1e6 * (random() % 1000) / 1000.0));
        killAfter(outcome, crop(in, out), delay);
        bool written = fs::exists(out);
        if (written && !Movies::decodesWhole(out))
            outcome.fault(outcome.corruptFiles, "a broken cropped movie was left as " + out);
        if (!fs::exists(in) && !(written && Movies::decodesWhole(out)))
            outcome.fault(outcome.originalsLost, "the input went without a whole cropped movie");
        // The next start, into the same folder, must work and sweep it.
        fs::copy_file(source, in, fs::copy_options::overwrite_existing);
        if (runToEnd(crop(in, out)) != 0)
            outcome.fault(outcome.crashes, "the crop after the kill failed; see " + log);
        int left = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            left += entry.path().filename().string().starts_with(".");
        if (left)
            outcome.fault(outcome.leftovers, std::to_string(left) + " temporaries beside the output after the next crop");
    }
    outcome.seconds = since(started);
    return outcome;
}

}  // namespace reliability::CommandCrashes
