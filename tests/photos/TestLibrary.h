#pragma once

#include "platform/photos/PhotoLibraryStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace photos::test {

// A throw-away media directory per test, plus direct access to the files and
// the database so tests can check what the store really left behind.
class TestLibrary : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<PhotoLibraryStore> openStore(const StoreOptions& options = {});
    std::filesystem::path cameraFolder() const { return m_root / "DCIM/100APPLE"; }
    std::filesystem::path databasePath() const { return m_root / "PhotoData/Photos.sqlite"; }
    const std::filesystem::path& root() const { return m_root; }

    // Writes a source file outside the media directory.
    std::filesystem::path makeSource(const std::string& name, const std::string& contents);
    AssetRecord importClip(PhotoLibraryStore& store, double creationDate, const std::string& name = "clip.mov",
        MediaType type = MediaType::Video, std::int64_t width = 1170);

    // Every name in the camera folder, hidden ones included, sorted.
    std::vector<std::string> cameraFolderNames() const;
    // Runs SQL on a separate connection, as another process would.
    void sql(const std::string& statement) const;
    std::string sqlText(const std::string& query) const;

    static std::string readFile(const std::filesystem::path& path);
    static void writeFile(const std::filesystem::path& path, const std::string& contents);
    static std::vector<std::string> identifiersOf(const std::vector<AssetRecord>& records);

private:
    std::unique_ptr<testsupport::TempDir> m_folder;
    std::filesystem::path m_root;
    std::filesystem::path m_sources;
    int m_sourceCounter = 0;
};

}  // namespace photos::test
