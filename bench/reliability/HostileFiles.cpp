#include "bench/reliability/HostileFiles.h"

#include "bench/reliability/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace reliability::HostileFiles {

namespace {

namespace fs = std::filesystem;

constexpr auto bound = std::chrono::seconds(60);

// Where a reader's file is and the command that reads it.
struct Reader {
    std::string name;
    std::string devicePath;
    std::vector<std::string> command;
    // The most bytes the reader takes.
    std::uint64_t limit;
};

struct Hostile {
    std::string name;
    // Puts the hostile file at `path`; false when it could not.
    bool (*make)(const std::string& path, std::uint64_t limit);
};

std::string repeated(const std::string& text, int times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

bool writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return bool(out);
}

// Closing tags hidden where the parser skips them (a processing
// instruction), then nesting far past the bound: 3.96 MB, under the limit.
bool hiddenDepth(const std::string& path, std::uint64_t)
{
    return writeBytes(path, "<?x " + repeated("</dict>", 180000) + "?><plist>" + repeated("<array>", 180000) + repeated("</array>", 180000) + "</plist>");
}

bool fifo(const std::string& path, std::uint64_t) { return ::mkfifo(path.c_str(), 0644) == 0; }

// One byte past the reader's limit, sparse: judged by its size alone.
bool overTheLimit(const std::string& path, std::uint64_t limit)
{
    if (!writeBytes(path, "<?xml version=\"1.0\"?><plist><dict>"))
        return false;
    return ::truncate(path.c_str(), static_cast<off_t>(limit + 1)) == 0;
}

// Surrogates, an overlong NUL, a code point past U+10FFFF, a stray
// continuation byte and U+FFFE, in keys and values.
bool invalidUTF8(const std::string& path, std::uint64_t)
{
    return writeBytes(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                            "<key>\xed\xa0\x80</key><string>\xc0\x80\xf4\x90\x80\x80</string>"
                            "<key>k\x80</key><string>\xef\xbf\xbe</string></dict></plist>\n");
}

// What a path holds, to tell whether a command changed it: its type, size
// and, for a file of ordinary size, its bytes.
std::string fingerprint(const std::string& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0)
        return "missing";
    std::ostringstream out;
    out << (info.st_mode & S_IFMT) << ' ' << info.st_size;
    if (S_ISREG(info.st_mode) && info.st_size <= (8 << 20)) {
        std::ifstream in(path, std::ios::binary);
        out << ' ' << in.rdbuf();
    }
    return out.str();
}

}  // namespace

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "hostile property lists";
    auto started = std::chrono::steady_clock::now();
    testsupport::TempDir scratch("marqel-reliability-hostile");
    std::string root = scratch.file("root"), log = scratch.file("commands.log");
    auto marqel = [&](std::vector<std::string> words, std::string* output = nullptr) {
        return runToEnd(marqelCommand(options.marqel, root, std::move(words), log), output, bound);
    };
    if (marqel({ "install" }) != 0 || marqel({ "prefs", "set", "didShowControlCenterAlert", "true" }) != 0) {
        outcome.fault(outcome.crashes, "the root could not be prepared (install, prefs set)");
        return outcome;
    }
    // As a package lays it: a build's install would lay its own bundle
    // files again before the Settings app read the hostile ones.
    const std::string record = root + "/var/jb/var/lib/dpkg/info/com.zorvelin.marqel.plist";
    {
        std::ifstream in(record, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string bytes = text.str();
        const std::string build = "<string>build folder</string>";
        auto at = bytes.find(build);
        if (at == std::string::npos) {
            outcome.fault(outcome.crashes, "the install record does not name the build folder");
            return outcome;
        }
        bytes.replace(at, build.size(), "<string>" + scratch.file("marqel.deb") + "</string>");
        writeBytes(record, bytes);
    }
    // Opens the settings page, so its rows are read.
    std::string rowsScenario = scratch.file("rows.scn");
    writeBytes(rowsScenario, "boot\nwait 0.5\ntap-title Settings\nwait 0.5\n");
    const std::string bundle = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle";
    constexpr std::uint64_t ordinary = 4 << 20;
    // The install record last: a reader that took a hostile record as a
    // real one would remove the install the others need.
    const std::vector<Reader> readers {
        { "preferences", "/var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist", { "prefs", "list" }, ordinary },
        { "saved areas", "/var/jb/vmo/Library/Preferences/MarqelSavedArea.plist", { "areas", "list" }, std::uint64_t(64) << 20 },
        { "notices", "/var/mobile/Library/SpringBoard/Notices.plist", { "notices" }, ordinary },
        { "bundle Info.plist", bundle + "/Info.plist", { "settings", "--for", "1", "--virtual-clock" }, ordinary },
        { "rows", bundle + "/PrimarySetting.plist", { "settings", "--script", rowsScenario }, ordinary },
        { "substrate filter", "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.plist",
            { "springboard", "--for", "1", "--virtual-clock" }, ordinary },
        { "install record", "/var/jb/var/lib/dpkg/info/com.zorvelin.marqel.plist", { "uninstall" }, ordinary },
    };
    const std::vector<Hostile> hostiles {
        { "hidden depth", hiddenDepth },
        { "FIFO", fifo },
        { "over the limit", overTheLimit },
        { "invalid UTF-8", invalidUTF8 },
    };
    for (const auto& reader : readers) {
        const std::string host = root + reader.devicePath;
        const std::string kept = scratch.file("kept-original");
        std::error_code ec;
        fs::remove(kept, ec);
        const bool hadOriginal = fs::exists(host);
        if (hadOriginal)
            fs::rename(host, kept);
        fs::create_directories(fs::path(host).parent_path(), ec);
        for (const auto& hostile : hostiles) {
            ++outcome.trials;
            const std::string what = hostile.name + " as the " + reader.name;
            fs::remove(host, ec);
            if (!hostile.make(host, reader.limit)) {
                outcome.fault(outcome.crashes, what + ": the file could not be made");
                continue;
            }
            const std::string before = fingerprint(host);
            auto commandStarted = std::chrono::steady_clock::now();
            const int status = marqel(reader.command);
            const auto took = std::chrono::steady_clock::now() - commandStarted;
            if (took >= bound)
                outcome.fault(outcome.crashes, what + ": `" + reader.command.front() + "` did not end within " + std::to_string(bound.count()) + " s");
            else if (status >= 128)
                outcome.fault(outcome.crashes, what + ": `" + reader.command.front() + "` ended by signal " + std::to_string(status - 128));
            if (fingerprint(host) != before)
                outcome.fault(outcome.originalsLost, what + ": the file was changed or removed");
        }
        fs::remove(host, ec);
        if (hadOriginal)
            fs::rename(kept, host);
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

}  // namespace reliability::HostileFiles
