#include "bench/reliability/PathSafety.h"

#include "bench/reliability/ChildProcess.h"
#include "bench/reliability/Movies.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>

namespace reliability::PathSafety {

namespace {

namespace fs = std::filesystem;

std::string firstWord(const std::string& text) { return text.substr(0, text.find(' ')); }

bool execute(const std::string& database, const std::string& sql)
{
    sqlite3* connection = nullptr;
    bool done = sqlite3_open(database.c_str(), &connection) == SQLITE_OK
        && sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(connection);
    return done;
}

// Everything under a folder, names and sizes, to tell whether it changed.
std::string listing(const std::string& folder)
{
    std::string text;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        text += it->path().string() + " " + (it->is_regular_file() ? std::to_string(it->file_size()) : "-") + "\n";
    return text;
}

}  // namespace

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "paths out of the device root";
    auto started = std::chrono::steady_clock::now();
    testsupport::TempDir scratch("marqel-reliability-paths");
    std::string root = scratch.file("root"), outside = scratch.file("outside"), log = scratch.file("commands.log");
    fs::create_directories(outside);
    std::string movie = scratch.file("movie.mov");
    if (!Movies::make(movie, "390x844", 0.5)) {
        outcome.fault(outcome.crashes, "ffmpeg could not make the movie");
        return outcome;
    }
    fs::copy_file(movie, outside + "/secret.mov");
    std::ofstream(outside + "/victim.txt") << "outside the root";
    auto marqel = [&](std::vector<std::string> words, std::string* output = nullptr) {
        return runToEnd(marqelCommand(options.marqel, root, std::move(words), log), output);
    };
    auto before = listing(outside);
    auto unchanged = [&](const std::string& what) {
        if (listing(outside) != before)
            outcome.fault(outcome.escapes, what + " changed the folder outside the root");
        before = listing(outside);
    };

    // Library rows whose path leads outside, by "..", absolutely and through
    // a link inside the camera folder.
    std::string listed;
    marqel({ "library", "import", movie }, &listed);
    std::string identifier = firstWord(listed);
    std::string database = root + "/var/mobile/Media/PhotoData/Photos.sqlite";
    fs::create_symlink(outside + "/secret.mov", root + "/var/mobile/Media/DCIM/100APPLE/IMG_0500.MOV");
    for (const std::string& path : { "DCIM/100APPLE/../../../../../../../.." + outside + "/secret.mov", outside + "/secret.mov",
             std::string("DCIM/100APPLE/IMG_0500.MOV"), "DCIM/../../../../../../../../.." + outside + "/secret.mov" }) {
        ++outcome.trials;
        if (identifier.empty() || !execute(database, "UPDATE assets SET relative_path = '" + path + "'")) {
            outcome.fault(outcome.crashes, "the library row could not be pointed at " + path);
            continue;
        }
        std::string exported = scratch.file("exported.mov");
        fs::remove(exported);
        marqel({ "library", "list", "--all" });
        if (marqel({ "library", "export", identifier, exported }) == 0 || fs::exists(exported))
            outcome.fault(outcome.escapes, "a row pointing at " + path + " was exported");
        marqel({ "library", "rm", identifier });
        marqel({ "library", "restore", identifier });
        unchanged("a row pointing at " + path);
    }

    // The product's folders swapped for links to the folder outside.
    struct Folder {
        const char* devicePath;
        std::vector<std::string> command;
    };
    for (const auto& folder : std::vector<Folder> {
             { "/var/mobile/Library/Preferences", { "prefs", "set", "defaultX", "7" } },
             { "/var/jb/vmo/Library/Preferences", { "areas", "add", "Escape", "1", "2", "100", "100" } },
             { "/var/mobile/Media/DCIM/100APPLE", { "library", "import", movie } },
         }) {
        ++outcome.trials;
        std::string host = root + folder.devicePath;
        std::string kept = host + ".kept";
        fs::remove_all(kept);
        if (fs::exists(host))
            fs::rename(host, kept);
        fs::create_directories(fs::path(host).parent_path());
        fs::create_symlink(outside, host);
        marqel(folder.command);
        unchanged(std::string("a link at ") + folder.devicePath);
        fs::remove(host);
        if (fs::exists(kept))
            fs::rename(kept, host);
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

}  // namespace reliability::PathSafety
