#include "tools/Command.h"
#include "tools/DateText.h"

#include "platform/av/MovieCheck.h"
#include "platform/av/MovieProbe.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/PHPhotoLibrary.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <iostream>

namespace tools {

namespace {
photos::PhotoLibraryStore& openStore()
{
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store();
    if (!store)
        throw CommandError(store.error());
    return *store.value();
}

void print(const photos::AssetRecord& r, const photos::PhotoLibraryStore& store)
{
    std::cout << r.localIdentifier << "  " << (r.mediaType == photos::MediaType::Video ? "video" : "image") << "  "
              << dateText(r.creationDate) << "  " << r.pixelWidth << "x" << r.pixelHeight << "  " << std::fixed
              << std::setprecision(2) << r.duration << " s  " << r.relativePath << (r.isTrashed() ? "  (Recently Deleted)" : "")
              << (store.hasFile(r) ? "" : "  (file missing)") << '\n';
}
}  // namespace

void addLibraryCommand(CLI::App& app, GlobalOptions& options)
{
    auto* library = app.add_subcommand("library", "The photo library of the device (DCIM and Photos.sqlite)");
    library->require_subcommand(1);

    auto* list = library->add_subcommand("list", "List the assets, oldest first");
    static bool all = false;
    list->add_flag("--all", all, "Include Recently Deleted");
    list->callback([&options] {
        prepareDevice(options);
        auto& store = openStore();
        photos::FetchQuery query;
        query.includeTrashed = all;
        query.sortKeys = { { "creationDate", true } };
        auto records = store.fetch(query);
        if (!records)
            throw CommandError(records.error());
        for (const auto& r : records.value())
            print(r, store);
        if (records.value().empty())
            std::cout << "the library is empty\n";
    });

    auto* import = library->add_subcommand("import", "Add a movie file to the library");
    static std::string importFile;
    import->add_option("FILE", importFile, "A movie file")->required()->check(CLI::ExistingFile);
    import->callback([&options] {
        prepareDevice(options);
    // Only regular files: a FIFO would block the probe for ever.
    if (std::error_code ec; !std::filesystem::is_regular_file(importFile, ec))
        throw CommandError(importFile + " is not a regular file", 2);
    auto info = av::probeMovie(importFile);
    if (!info)
        throw CommandError(info.error().message);
    if (auto whole = av::MovieCheck::decodesWhole(importFile); !whole)
        throw CommandError("not a movie the library can take: " + whole.error().message);
    bool rotated = std::fmod(std::fabs(info.value().rotationDegrees), 180.0) == 90.0;
    photos::MediaFacts facts { rotated ? info.value().height : info.value().width, rotated ? info.value().width : info.value().height,
        info.value().durationSeconds };
    auto& store = openStore();
    auto record = store.importFile(importFile, photos::MediaType::Video, facts, RunLoop::main().clock().epochSeconds());
    if (!record)
        throw CommandError(record.error());
    print(record.value(), store);
});

auto* exportCommand = library->add_subcommand("export", "Copy an asset's file out of the library");
static std::string exportID, exportFile;
exportCommand->add_option("ID", exportID, "Local identifier")->required();
exportCommand->add_option("FILE", exportFile, "Destination file (not overwritten)")->required();
exportCommand->callback([&options] {
    prepareDevice(options);
    auto& store = openStore();
    auto record = store.asset(exportID);
    if (!record)
        throw CommandError(record.error());
    if (!record.value())
        throw CommandError("no asset " + exportID + " in the library (see `marqel library list --all`)");
    auto path = store.filePath(*record.value());
    if (!path || !store.hasFile(*record.value()))
        throw CommandError("the file of " + exportID + " is missing from the library");
    std::error_code ec;
    std::filesystem::copy_file(path.value(), exportFile, std::filesystem::copy_options::none, ec);
    if (ec)
        throw CommandError("cannot write " + exportFile + ": " + ec.message());
    std::cout << "exported " << exportID << " to " << exportFile << '\n';
});

auto* rm = library->add_subcommand("rm", "Move an asset to Recently Deleted (recoverable with restore)");
static std::string rmID;
rm->add_option("ID", rmID, "Local identifier")->required();
rm->callback([&options] {
    prepareDevice(options);
    auto done = openStore().trash({ rmID });
    if (!done)
        throw CommandError(done.error());
    std::cout << "moved " << rmID << " to Recently Deleted\n";
});

auto* restore = library->add_subcommand("restore", "Bring an asset back from Recently Deleted");
static std::string restoreID;
restore->add_option("ID", restoreID, "Local identifier")->required();
restore->callback([&options] {
    prepareDevice(options);
    auto done = openStore().restore(restoreID);
    if (!done)
        throw CommandError(done.error());
    std::cout << "restored " << restoreID << '\n';
});
}  // namespace tools

}  // namespace tools
