#include "tools/Command.h"
#include "tools/DateText.h"

#include "platform/av/MovieCheck.h"
#include "platform/av/MovieProbe.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/PHPhotoLibrary.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sys/stat.h>

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

// The subcommands' arguments, parsed into one object that their callbacks
// share (and keep alive), instead of into function statics.
struct LibraryCommand {
    bool all = false;
    std::string importFile;
    std::string exportID, exportFile;
    std::string trashID;
    std::string restoreID;

    void list() const
    {
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
    }

    void importMovie() const
    {
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
    }

    void exportAsset() const
    {
        auto& store = openStore();
        auto record = store.asset(exportID);
        if (!record)
            throw CommandError(record.error());
        if (!record.value())
            throw CommandError("no asset " + exportID + " in the library (see `marqel library list --all`)");
        auto path = store.filePath(*record.value());
        if (!path || !store.hasFile(*record.value()))
            throw CommandError("the file of " + exportID + " is missing from the library");
        // Never replaces anything: a file, a link or a FIFO at FILE is left
        // as it is, even one that appears while the copy is written.
        struct stat existing;
        if (::lstat(exportFile.c_str(), &existing) == 0)
            throw CommandError("cannot write " + exportFile + ": it already exists (" + (S_ISREG(existing.st_mode) ? "a file" : S_ISLNK(existing.st_mode) ? "a symbolic link"
                                       : S_ISDIR(existing.st_mode)                                                                                        ? "a folder"
                                                                                                                                                          : "not a regular file")
                + "); `library export` never replaces anything: choose a new name");
        auto file = foundation::AtomicFile::create(exportFile, 0644);
        foundation::Status copied = file ? file.value().copyFrom(path.value()) : foundation::Status(file.error());
        if (copied)
            copied = file.value().commitAsNew();
        if (!copied)
            throw CommandError(std::move(copied).withContext("cannot export " + exportID).error());
        std::cout << "exported " << exportID << " to " << exportFile << '\n';
    }

    void trash() const
    {
        auto done = openStore().trash({ trashID });
        if (!done)
            throw CommandError(done.error());
        std::cout << "moved " << trashID << " to Recently Deleted\n";
    }

    void restore() const
    {
        auto done = openStore().restore(restoreID);
        if (!done)
            throw CommandError(done.error());
        std::cout << "restored " << restoreID << '\n';
    }
};

}  // namespace

void addLibraryCommand(CLI::App& app, GlobalOptions& options)
{
    auto* library = app.add_subcommand("library", "The photo library of the device (DCIM and Photos.sqlite)");
    library->require_subcommand(1);
    auto command = std::make_shared<LibraryCommand>();
    // Every subcommand starts on the device the global options name.
    auto run = [&options, command](void (LibraryCommand::*action)() const) {
        return [&options, command, action] {
            prepareDevice(options);
            ((*command).*action)();
        };
    };

    auto* list = library->add_subcommand("list", "List the assets, oldest first");
    list->add_flag("--all", command->all, "Include Recently Deleted");
    list->callback(run(&LibraryCommand::list));

    auto* import = library->add_subcommand("import", "Add a movie file to the library");
    import->add_option("FILE", command->importFile, "A movie file")->required()->check(CLI::ExistingFile);
    import->callback(run(&LibraryCommand::importMovie));

    auto* exportCommand = library->add_subcommand("export", "Copy an asset's file out of the library");
    exportCommand->add_option("ID", command->exportID, "Local identifier")->required();
    exportCommand->add_option("FILE", command->exportFile, "Destination file (not overwritten)")->required();
    exportCommand->callback(run(&LibraryCommand::exportAsset));

    auto* rm = library->add_subcommand("rm", "Move an asset to Recently Deleted (recoverable with restore)");
    rm->add_option("ID", command->trashID, "Local identifier")->required();
    rm->callback(run(&LibraryCommand::trash));

    auto* restore = library->add_subcommand("restore", "Bring an asset back from Recently Deleted");
    restore->add_option("ID", command->restoreID, "Local identifier")->required();
    restore->callback(run(&LibraryCommand::restore));
}

}  // namespace tools
