#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace photos {

// Brings files into the camera folder. The copy is written under a hidden
// temporary name and only then given its camera-roll name, so no visible
// file is ever half-written, and the naming step never replaces a file that
// another process claimed first.
class AssetFileWriter {
public:
    static constexpr std::string_view temporaryPrefix = ".importing.";

    explicit AssetFileWriter(const MediaDirectory& directory);

    // Returns the new file's name within the camera folder.
    Result<std::string> copyIn(const std::filesystem::path& source, std::string_view extension,
        std::int64_t firstNumber) const;

    // Highest camera-roll number used by any file in the folder, including
    // ones set aside for deletion; 0 when there are none.
    std::int64_t highestNumberOnDisk() const;

    // Temporaries nobody has written to for `age` were left by a process that
    // died mid-copy.
    void removeTemporariesOlderThan(std::chrono::seconds age) const;

private:
    const MediaDirectory& m_directory;
};

}  // namespace photos
