#include "bench/reliability/CropFailures.h"

#include "bench/reliability/ChildProcess.h"
#include "bench/reliability/LibraryCheck.h"
#include "bench/reliability/Movies.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace reliability::CropFailures {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Case {
    Case(std::string name, int trials, std::function<bool(const std::string&)> prepare, std::string rect = "20,100,250,250",
        std::string outFolder = {}, std::optional<long long> fileSizeLimit = {}, int signal = 0, bool maySucceed = false)
        : name(std::move(name))
        , trials(trials)
        , prepare(std::move(prepare))
        , rect(std::move(rect))
        , outFolder(std::move(outFolder))
        , fileSizeLimit(fileSizeLimit)
        , signal(signal)
        , maySucceed(maySucceed)
    {
    }
    std::string name;
    int trials = 1;
    // Makes IN; false when the case cannot be prepared.
    std::function<bool(const std::string& in)> prepare;
    std::string rect = "20,100,250,250";
    // The folder OUT goes to; the case's own folder when empty.
    std::string outFolder;
    std::optional<long long> fileSizeLimit;
    // A signal sent at a random moment of the export.
    int signal = 0;
    // The crop may succeed (a kill that came too late).
    bool maySucceed = false;
};

void cutFile(const std::string& from, const std::string& to, double keep)
{
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::resize_file(to, static_cast<std::uintmax_t>(static_cast<double>(fs::file_size(to)) * keep));
}

// Garbage in the middle third of the samples, with the index intact.
void damageMiddle(const std::string& from, const std::string& to)
{
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    auto size = fs::file_size(to);
    std::fstream file(to, std::ios::in | std::ios::out | std::ios::binary);
    std::mt19937 random(3);
    for (auto at = size / 2; at < size / 2 + size / 6; at += 64) {
        file.seekp(static_cast<std::streamoff>(at));
        for (int i = 0; i < 16; ++i)
            file.put(static_cast<char>(random()));
    }
}

}  // namespace

std::vector<CaseOutcome> run(const Options& options)
{
    std::vector<CaseOutcome> outcomes;
    testsupport::TempDir scratch("marqel-reliability-failures");
    std::string source = scratch.file("source.mov"), soundOnly = scratch.file("sound.mov");
    std::string log = scratch.file("commands.log");
    std::mt19937_64 random(options.seed ^ 0x6661696c);
    if (!Movies::make(source, "1170x2532", 1.5) || !Movies::makeSoundOnly(soundOnly, 1.5)) {
        CaseOutcome failed;
        failed.name = "crop failures";
        failed.fault(failed.crashes, "ffmpeg could not make the source movies");
        return { failed };
    }
    auto copyOf = [](const std::string& from) {
        return [from](const std::string& in) { return fs::copy_file(from, in, fs::copy_options::overwrite_existing); };
    };
    // A small tmpfs stands for a full disk, when this machine lets us mount.
    std::string fullDisk = scratch.file("full");
    fs::create_directories(fullDisk);
    bool mounted = ::mount("tmpfs", fullDisk.c_str(), "tmpfs", 0, "size=32k") == 0;
    int randomTrials = std::max(1, options.commandTrials / 5);

    std::vector<Case> cases {
        { "unreadable input", 1,
            [](const std::string& in) {
                std::ofstream(in) << "not a movie at all";
                // Without read permission too, where that means something.
                if (::geteuid() != 0)
                    fs::permissions(in, fs::perms::none);
                return true;
            } },
        { "truncated movie", 1, [&](const std::string& in) { cutFile(source, in, 0.5); return true; } },
        { "decode error in the middle", 1, [&](const std::string& in) { damageMiddle(source, in); return true; } },
        { "no video track", 1, copyOf(soundOnly) },
        { "zero render size", 1, copyOf(source), "10,10,1,1" },
        { "rectangle off screen", 1, copyOf(source), "1000,2000,50,50" },
        { "full disk", mounted ? 1 : 0, copyOf(source), "20,100,250,250", fullDisk },
        { "file-size limit (ulimit -f)", randomTrials, copyOf(source), "20,100,250,250", "", 64 * 1024 },
        { "export cancelled (SIGTERM)", randomTrials, copyOf(source), "20,100,250,250", "", std::nullopt, SIGTERM, true },
        { "killed during the export", randomTrials, copyOf(source), "20,100,250,250", "", std::nullopt, SIGKILL, true },
    };
    std::string goodIn = scratch.file("good.mov");
    for (auto& c : cases) {
        CaseOutcome outcome;
        outcome.name = "crop: " + c.name;
        auto started = Clock::now();
        if (c.name == "full disk" && !mounted)
            outcome.note = "skipped: mount is not allowed here";
        std::string folder = scratch.file("case");
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::string outFolder = c.outFolder.empty() ? folder : c.outFolder;
        for (int trial = 0; trial < c.trials; ++trial) {
            ++outcome.trials;
            std::string in = folder + "/recording.mov", out = outFolder + "/cropped.mov";
            fs::remove(out);
            if (!c.prepare(in)) {
                outcome.fault(outcome.crashes, "the input could not be prepared");
                continue;
            }
            ChildProcess::Setup setup { { options.marqel, "--root", scratch.file("root"), "crop", in, out, "--screen", "390x844",
                                            "--rect", c.rect, "--delete-input" },
                log, c.fileSizeLimit };
            if (c.fileSizeLimit)
                // Anywhere from the first bytes to most of the movie.
                setup.fileSizeLimit = static_cast<long long>(4096 + random() % 400000);
            ChildProcess crop(setup);
            int status = 0;
            if (c.signal) {
                // Somewhere in the first two seconds: start-up, probe, export.
                if (!crop.waitFor(std::chrono::milliseconds(random() % 2000), status)) {
                    crop.kill(c.signal);
                    status = crop.wait();
                }
            } else
                status = crop.wait();
            bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            int expectedSignal = c.signal ? c.signal : (c.fileSizeLimit ? SIGXFSZ : 0);
            if (WIFSIGNALED(status) && WTERMSIG(status) != expectedSignal)
                outcome.fault(outcome.crashes, "the crop died of signal " + std::to_string(WTERMSIG(status)));
            if (succeeded && !c.maySucceed && !c.fileSizeLimit)
                outcome.fault(outcome.crashes, "the crop reported success");
            bool whole = fs::exists(out) && Movies::decodesWhole(out);
            if (fs::exists(out) && !whole)
                outcome.fault(outcome.corruptFiles, "a broken movie was left as the output");
            if (!fs::exists(in) && !whole)
                outcome.fault(outcome.originalsLost, "the input went without a whole cropped movie");
            // The next start, into the same folder: it must work there (when
            // there is room) and leave no temporaries of the one before.
            fs::remove(out);
            copyOf(source)(goodIn);
            std::string next = outFolder + "/next.mov";
            fs::remove(next);
            int nextStatus = runToEnd({ { options.marqel, "--root", scratch.file("root"), "crop", goodIn, next, "--screen", "390x844",
                                            "--rect", "20,100,100,100" },
                log });
            if (nextStatus != 0 && outFolder != fullDisk)
                outcome.fault(outcome.crashes, "the crop after the failure failed; see " + log);
            fs::remove(next);
            int left = 0;
            for (const auto& entry : fs::directory_iterator(outFolder))
                left += entry.path().filename().string().starts_with(".");
            if (left)
                outcome.fault(outcome.leftovers, std::to_string(left) + " temporaries beside the output after the next crop");
        }
        outcome.seconds = since(started);
        outcomes.push_back(std::move(outcome));
    }
    if (mounted)
        ::umount2(fullDisk.c_str(), MNT_DETACH);
    return outcomes;
}

}  // namespace reliability::CropFailures
