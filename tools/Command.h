#pragma once

// What every subcommand shares: the global options, and the error that
// ends a command with a message and a non-zero status.

#include "platform/foundation/Result.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <stdexcept>
#include <string>

namespace tools {

struct GlobalOptions {
    std::string root;
    bool verbose = false;
};

class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& message, int status = 1)
        : std::runtime_error(message)
        , m_status(status)
    {
    }
    // A platform failure ends the command with its message.
    explicit CommandError(const foundation::Error& error, int status = 1)
        : CommandError(error.message, status)
    {
    }
    int status() const { return m_status; }

private:
    int m_status;
};

// Applies the global options: device root, verbose log echo.
void prepareDevice(const GlobalOptions& options);
// The host path of a device path; a CommandError when the device root
// refuses it (a path that would lead out of the root).
std::string hostPath(const std::string& devicePath);
// Installs the product into the root when it is missing or out of date.
void ensureInstalled();
// The phone's screen in a desktop window until Escape or Q (or the window is
// closed); `onKey` sees every other key. `help` is printed once it is open.
void showDesktopWindow(double zoom, const std::string& title, const std::string& help,
    const std::function<void(const std::string& key)>& onKey = {});

void addInstallCommand(CLI::App& app, GlobalOptions& options);
void addPrefsCommand(CLI::App& app, GlobalOptions& options);
void addSpringBoardCommand(CLI::App& app, GlobalOptions& options);
void addSettingsCommand(CLI::App& app, GlobalOptions& options);
void addAppCommand(CLI::App& app, GlobalOptions& options);
void addInvokeCommand(CLI::App& app, GlobalOptions& options);
void addRunCommand(CLI::App& app, GlobalOptions& options);
void addCropCommand(CLI::App& app, GlobalOptions& options);
void addLibraryCommand(CLI::App& app, GlobalOptions& options);
void addSnapshotCommand(CLI::App& app, GlobalOptions& options);
void addNoticesCommand(CLI::App& app, GlobalOptions& options);
void addAreasCommand(CLI::App& app, GlobalOptions& options);

}  // namespace tools
