#include "bench/reliability/OutputPaths.h"

#include "bench/reliability/ChildProcess.h"
#include "bench/reliability/Movies.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace reliability::OutputPaths {

namespace {

namespace fs = std::filesystem;

enum class Kind { Fifo,
    Link,
    File };

const char* nameOf(Kind kind) { return kind == Kind::Fifo ? "a FIFO" : kind == Kind::Link ? "a link"
                                                                                          : "an existing file"; }

// What a command may do to what is at its output path.
enum class Expect { Refuse,
    Replace };

struct Target {
    std::string what;
    // The output path, made afresh for each kind.
    std::function<std::string()> path;
    std::function<std::vector<std::string>(const std::string& path)> command;
    // What happens to an existing file; a FIFO is always refused, a link
    // refused but where `linkReplaced`.
    Expect file;
    bool linkReplaced = false;
};

mode_t typeOf(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

}  // namespace

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "output paths: a FIFO, a link, an existing file";
    auto started = std::chrono::steady_clock::now();
    testsupport::TempDir scratch("marqel-reliability-outputs");
    const std::string root = scratch.file("root"), out = scratch.file("out"), outside = scratch.file("outside"), log = scratch.file("commands.log");
    fs::create_directories(out);
    fs::create_directories(outside);
    const std::string movie = scratch.file("movie.mov");
    if (!Movies::make(movie, "390x844", 0.5)) {
        outcome.fault(outcome.crashes, "ffmpeg could not make the movie");
        return outcome;
    }
    auto marqel = [&](std::vector<std::string> words) {
        return runToEnd(marqelCommand(options.marqel, root, std::move(words), log), nullptr, std::chrono::seconds(120));
    };
    std::string listed;
    runToEnd(marqelCommand(options.marqel, root, { "library", "import", movie }, log), &listed);
    const std::string identifier = listed.substr(0, listed.find(' '));
    const std::string script = scratch.file("shot.scn");
    const std::string tweak = root + "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so";

    std::vector<Target> targets {
        { "the snapshot step", [&] { return out + "/step.png"; },
            [&](const std::string& path) {
                testsupport::writeFile(script, "pref toggleMarqel true\nboot\nsnapshot " + path + "\n");
                return std::vector<std::string> { "springboard", "--script", script };
            },
            Expect::Replace },
        { "a picture of marqel snapshot", [&] { return out + "/pictures/overlay-open.png"; },
            [&](const std::string&) { return std::vector<std::string> { "snapshot", out + "/pictures" }; }, Expect::Replace },
        { "marqel snapshot's folder", [&] { return out + "/folder"; },
            [&](const std::string& path) { return std::vector<std::string> { "snapshot", path }; }, Expect::Refuse },
        { "crop's output", [&] { return out + "/crop.mov"; },
            [&](const std::string& path) { return std::vector<std::string> { "crop", movie, path, "--screen", "390x844", "--rect", "20,100,250,250" }; },
            Expect::Refuse },
        { "crop's output with --force", [&] { return out + "/crop-forced.mov"; },
            [&](const std::string& path) {
                return std::vector<std::string> { "crop", movie, path, "--screen", "390x844", "--rect", "20,100,250,250", "--force" };
            },
            Expect::Replace },
        { "library export", [&] { return out + "/export.mov"; },
            [&](const std::string& path) { return std::vector<std::string> { "library", "export", identifier, path }; }, Expect::Refuse },
        { "an install target with install --force", [&] { return tweak; },
            [&](const std::string&) { return std::vector<std::string> { "install", "--force" }; }, Expect::Replace, true },
    };
    for (const auto& target : targets) {
        for (Kind kind : { Kind::Fifo, Kind::Link, Kind::File }) {
            ++outcome.trials;
            const std::string path = target.path();
            const std::string where = target.what + " over " + nameOf(kind);
            std::error_code ec;
            fs::remove_all(path, ec);
            fs::create_directories(fs::path(path).parent_path(), ec);
            const std::string victim = outside + "/victim";
            testsupport::writeFile(victim, "outside the root");
            const std::string old = "an older file";
            if (kind == Kind::Fifo)
                ::mkfifo(path.c_str(), 0644);
            else if (kind == Kind::Link)
                fs::create_symlink(victim, path, ec);
            else
                testsupport::writeFile(path, old);
            const int status = marqel(target.command(path));
            if (status >= 128) {
                outcome.fault(outcome.crashes, where + " ended with status " + std::to_string(status) + " (killed after 120 s, or crashed)");
                continue;
            }
            if (testsupport::readFile(victim) != "outside the root")
                outcome.fault(outcome.escapes, where + " wrote through the link");
            const bool replace = kind == Kind::File ? target.file == Expect::Replace : kind == Kind::Link && target.linkReplaced;
            const mode_t was = kind == Kind::Fifo ? S_IFIFO : kind == Kind::Link ? S_IFLNK
                                                                                 : S_IFREG;
            if (replace) {
                if (status != 0 || typeOf(path) != S_IFREG || testsupport::readFile(path) == old)
                    outcome.fault(outcome.lostChanges, where + " was not replaced as the command says (status " + std::to_string(status) + ")");
            } else {
                if (status == 0)
                    outcome.fault(outcome.lostChanges, where + " was not refused");
                if (typeOf(path) != was || (kind == Kind::File && testsupport::readFile(path) != old))
                    outcome.fault(outcome.originalsLost, where + " was replaced or changed");
            }
            fs::remove(path, ec);
        }
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

}  // namespace reliability::OutputPaths
