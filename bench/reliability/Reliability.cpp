// The reliability harness: the product's own code under kills, races and
// injected failures, counted per case. Every count but the trials must be 0;
// the exit status says whether they all were.

#include "bench/common/Machine.h"
#include "bench/reliability/CaseOutcome.h"
#include "bench/reliability/CommandCrashes.h"
#include "bench/reliability/CropFailures.h"
#include "bench/reliability/HostileFiles.h"
#include "bench/reliability/LibraryBesideSpringBoard.h"
#include "bench/reliability/Options.h"
#include "bench/reliability/OutputPaths.h"
#include "bench/reliability/PackageAtomicity.h"
#include "bench/reliability/PathSafety.h"
#include "bench/reliability/PreferenceCrashes.h"
#include "bench/reliability/PreferenceRaces.h"
#include "bench/reliability/SavedAreaRaces.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

using namespace reliability;

[[noreturn]] void usage(const char* why)
{
    std::cerr << "reliability: " << why << "\n"
              << "usage: reliability --marqel PATH [--trials N] [--command-trials N] [--keys N] [--area-adds N] [--seed S]\n"
              << "                   [--case-seconds S] [--only TEXT]\n";
    std::exit(2);
}

long long number(const char* text, const char* what)
{
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 10);
    if (!*text || *end || value < 0)
        usage((std::string("bad ") + what).c_str());
    return value;
}

}  // namespace

int main(int argc, char** argv)
{
    av_log_set_level(AV_LOG_QUIET);
    Options options;
    options.self = std::filesystem::canonical("/proc/self/exe").string();
    std::string role, root, prefix;
    std::uint64_t seed = 0;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage((word + " needs a value").c_str());
            return argv[++i];
        };
        if (word == "--child")
            role = value();
        else if (word == "--root")
            root = value();
        else if (word == "--seed")
            options.seed = seed = static_cast<std::uint64_t>(number(value(), "--seed"));
        else if (word == "--trials")
            options.trials = static_cast<int>(number(value(), "--trials"));
        else if (word == "--command-trials")
            options.commandTrials = static_cast<int>(number(value(), "--command-trials"));
        else if (word == "--keys")
            options.keys = static_cast<int>(number(value(), "--keys"));
        else if (word == "--area-adds")
            options.areaAdds = static_cast<int>(number(value(), "--area-adds"));
        else if (word == "--case-seconds")
            options.caseSeconds = static_cast<double>(number(value(), "--case-seconds"));
        else if (word == "--marqel")
            options.marqel = value();
        else if (word == "--only")
            options.only = value();
        else if (word == "--prefix")
            prefix = value();
        else
            usage(("unknown option " + word).c_str());
    }
    if (role == "writer")
        return PreferenceCrashes::writerMain(root, seed);
    if (role == "keys")
        return PreferenceRaces::writerMain(root, prefix, options.keys);
    if (role == "areas")
        return SavedAreaRaces::adderMain(root, prefix, options.keys);
    if (!role.empty())
        usage("unknown role");
    if (options.marqel.empty())
        usage("--marqel is required");
    options.marqel = std::filesystem::absolute(options.marqel).string();

    std::cout << "machine: " << bench::machine() << "\nseed " << options.seed << ", " << options.trials << " writer kills, "
              << options.commandTrials << " command kills, " << options.keys << " keys per racing writer, " << options.areaAdds << " areas per saved-area writer\n"
              << std::flush;
    std::vector<std::function<std::vector<CaseOutcome>()>> cases {
        [&] { return std::vector { PreferenceCrashes::run(options) }; },
        [&] { return std::vector { CommandCrashes::runKills(options) }; },
        [&] { return std::vector { CommandCrashes::cropKills(options) }; },
        [&] { return std::vector { PreferenceRaces::run(options) }; },
        [&] { return std::vector { SavedAreaRaces::run(options) }; },
        [&] { return std::vector { LibraryBesideSpringBoard::run(options) }; },
        [&] { return CropFailures::run(options); },
        [&] { return std::vector { PathSafety::run(options) }; },
        [&] { return std::vector { HostileFiles::run(options) }; },
        [&] { return std::vector { PackageAtomicity::run(options) }; },
        [&] { return std::vector { OutputPaths::run(options) }; },
    };
    std::vector<std::string> names { "writer", "run", "crop", "race", "areas", "library", "failure", "paths", "hostile", "package", "outputs" };
    std::vector<CaseOutcome> outcomes;
    auto started = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (!options.only.empty() && names[i].find(options.only) == std::string::npos)
            continue;
        for (auto& outcome : cases[i]()) {
            std::cout << "  " << outcome.name << ": " << outcome.trials << " trials, " << (outcome.clean() ? "clean" : "FAULTS")
                      << '\n'
                      << std::flush;
            outcomes.push_back(std::move(outcome));
        }
    }
    std::cout << '\n';
    printTable(std::cout, outcomes);
    double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "\ntotal " << static_cast<int>(total) << " s on " << bench::machine() << '\n';
    for (const auto& outcome : outcomes)
        if (!outcome.clean())
            return 1;
    return 0;
}
