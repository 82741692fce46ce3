#include "tools/Command.h"
#include "tools/DebianPackage.h"
#include "tools/InstallRecord.h"
#include "tools/Installer.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DevicePath.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

namespace tools {

namespace {
void forgetUninstall()
{
    std::error_code ec;
    std::filesystem::remove(hostPath(uninstalledMarkerDevicePath), ec);
}

void installPackage(const std::string& file)
{
    auto package = DebianPackage::read(file);
    if (!package)
        throw CommandError(package.error());
    auto previous = InstallRecord::load();
    if (!previous)
        throw CommandError(previous.error());
    auto installed = Installer::installPackage(package.value(), std::filesystem::absolute(file).lexically_normal().string());
    if (!installed)
        throw CommandError(installed.error());
    forgetUninstall();
    std::cout << "device root: " << DevicePath::root() << '\n';
    for (const auto& path : installed.value())
        std::cout << "installed " << path << '\n';
    std::cout << "package " << package.value().field("Package") << ' ' << package.value().field("Version");
    if (previous.value())
        std::cout << " (replacing " << (previous.value()->fromPackage() ? "version " + previous.value()->version : std::string("the build folder's install")) << ')';
    std::cout << '\n';
    // The phone would run them as root; here nothing needs them, and a
    // package's scripts are not ours to execute.
    for (const auto& script : package.value().maintainerScripts())
        std::cout << "not run: the package's " << script << " script\n";
}
}  // namespace

void addInstallCommand(CLI::App& app, GlobalOptions& options)
{
    auto* command = app.add_subcommand("install",
        "Lay the tweak and its substrate filter (and the settings bundle, once it is built) into the device root, "
        "from the build folder or from the Debian package");
    static bool force = false;
    static std::string package;
    command->add_flag("--force", force, "Copy everything even when it is up to date");
    command->add_option("--package", package, "Install this Debian package instead of the build folder's files")->check(CLI::ExistingFile);
    command->callback([&options] {
        prepareDevice(options);
        if (!package.empty()) {
            if (force)
                throw CommandError("--force applies to the build folder's files; a package is always laid whole");
            installPackage(package);
            return;
        }
        auto installed = Installer::forThisExecutable().install(force);
        if (!installed)
            throw CommandError(installed.error());
        forgetUninstall();
        std::cout << "device root: " << DevicePath::root() << '\n';
        if (installed.value().empty())
            std::cout << "everything is up to date\n";
        for (const auto& path : installed.value())
            std::cout << "installed " << path << '\n';
    });

    auto* uninstall = app.add_subcommand("uninstall",
        "Remove exactly the files the last install laid (preferences, saved areas and the photo library stay)");
    uninstall->callback([&options] {
        prepareDevice(options);
        auto removal = Installer::uninstall();
        if (!removal)
            throw CommandError(removal.error());
        std::cout << "device root: " << DevicePath::root() << '\n';
        for (const auto& path : removal.value().removed)
            std::cout << "removed " << path << '\n';
        for (const auto& path : removal.value().kept)
            std::cout << "not removed " << path << '\n';
        std::cout << "uninstalled " << Installer::packageName << ' ' << removal.value().version << '\n';
        // Remembered, so that the next command does not lay it again unasked.
        std::string marker = hostPath(uninstalledMarkerDevicePath);
        if (auto parents = DevicePath::makeParents(uninstalledMarkerDevicePath); !parents || !foundation::writeFileAtomically(marker, ""))
            std::cerr << "marqel: warning: could not write " << marker << "; the next command that needs the product installs it again\n";
    });
}

}  // namespace tools
