// Arbitrary bytes as a substrate filter (a property list in the tweak
// folder that any package may drop there), through the reader every process
// start uses. It must never crash, and what it accepts must be exactly the
// strings of the file's Filter/Bundles list.

#include "platform/foundation/PropertyList.h"
#include "platform/springboard/ProcessHost.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {
std::string scratchFile()
{
    static const std::string path = [] {
        auto folder = std::filesystem::temp_directory_path() / ("marqel-fuzz-filter-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("marqel-fuzz-filter-" + std::to_string(::getpid())), ec);
        });
        return (folder / "Filter.plist").string();
    }();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto names = host::readSubstrateFilter(path);
    if (!names)
        return 0;
    auto value = plist::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!value) {
        std::fprintf(stderr, "the filter reader accepts what the property-list reader refuses: %s\n", value.error().message.c_str());
        std::abort();
    }
    const auto* bundles = value.value().get<PlistDict>()->find("Filter")->get<PlistDict>()->find("Bundles")->get<PlistArray>();
    std::size_t strings = 0;
    for (const auto& item : *bundles)
        if (const auto* name = item.get<std::string>()) {
            if (strings >= names.value().size() || names.value()[strings] != *name) {
                std::fprintf(stderr, "the filter reader changed bundle %zu (%s)\n", strings, name->c_str());
                std::abort();
            }
            ++strings;
        }
    if (strings != names.value().size()) {
        std::fprintf(stderr, "the filter reader names %zu bundles, the file %zu\n", names.value().size(), strings);
        std::abort();
    }
    return 0;
}
