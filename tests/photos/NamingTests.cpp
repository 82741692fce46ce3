#include "TestLibrary.h"

#include "platform/photos/AssetFileWriter.h"
#include "platform/photos/CameraRollNaming.h"
#include "platform/photos/IdentifierGenerator.h"
#include "platform/photos/MediaDirectory.h"

#include <set>

namespace photos::test {

using Naming = TestLibrary;

TEST_F(Naming, ClaimingANameSkipsFilesThatAppearedMeanwhile)
{
    // The number the writer starts from can be stale: another process may
    // have taken it since the folder was scanned.
    auto directory = MediaDirectory::prepare(root());
    ASSERT_TRUE(directory.ok());
    writeFile(cameraFolder() / "IMG_0003.MOV", "theirs");
    writeFile(cameraFolder() / "IMG_0004.MOV", "theirs too");

    AssetFileWriter writer(directory.value());
    auto name = writer.copyIn(makeSource("mine.mov", "mine"), "MOV", 3);
    ASSERT_TRUE(name.ok()) << name.message();
    EXPECT_EQ(name.value(), "IMG_0005.MOV");
    EXPECT_EQ(readFile(cameraFolder() / "IMG_0003.MOV"), "theirs");
    EXPECT_EQ(readFile(cameraFolder() / "IMG_0004.MOV"), "theirs too");
    EXPECT_EQ(readFile(cameraFolder() / "IMG_0005.MOV"), "mine");
    EXPECT_EQ(cameraFolderNames().size(), 3u);
}

TEST_F(Naming, HighestNumberCountsFilesSetAsideForDeletion)
{
    auto directory = MediaDirectory::prepare(root());
    ASSERT_TRUE(directory.ok());
    AssetFileWriter writer(directory.value());
    EXPECT_EQ(writer.highestNumberOnDisk(), 0);
    writeFile(cameraFolder() / "IMG_0002.JPG", "x");
    writeFile(cameraFolder() / ".purging.IMG_0009.MOV", "x");
    writeFile(cameraFolder() / "notes.txt", "x");
    EXPECT_EQ(writer.highestNumberOnDisk(), 9);
}

TEST(CameraRollNames, ParseAndFormat)
{
    EXPECT_EQ(CameraRollNaming::fileName(1, "MOV"), "IMG_0001.MOV");
    EXPECT_EQ(CameraRollNaming::fileName(12345, "JPG"), "IMG_12345.JPG");
    EXPECT_EQ(CameraRollNaming::numberOf("IMG_0042.MOV"), 42);
    EXPECT_EQ(CameraRollNaming::numberOf("img_0007.heic"), 7);
    EXPECT_EQ(CameraRollNaming::numberOf("IMG_0008"), 8);
    EXPECT_EQ(CameraRollNaming::numberOf("IMG_.MOV"), std::nullopt);
    EXPECT_EQ(CameraRollNaming::numberOf("IMG_12a4.MOV"), std::nullopt);
    EXPECT_EQ(CameraRollNaming::numberOf("IMG_99999999999999999999.MOV"), std::nullopt);
    EXPECT_EQ(CameraRollNaming::numberOf("VID_0001.MOV"), std::nullopt);
}

TEST_F(Naming, ResolveKeepsPathsInsideTheMediaDirectory)
{
    auto directory = MediaDirectory::prepare(root());
    ASSERT_TRUE(directory.ok());
    auto inside = directory.value().resolve("DCIM/100APPLE/IMG_0001.MOV");
    ASSERT_TRUE(inside.ok());
    EXPECT_EQ(inside.value(), root() / "DCIM/100APPLE/IMG_0001.MOV");
    using namespace std::string_view_literals;
    for (auto bad : { ".."sv, "DCIM/./x"sv, "/abs"sv, "a\0b"sv, "PhotoData/Photos.sqlite"sv, "DCIM"sv, "IMG_0001.MOV"sv })
        EXPECT_EQ(directory.value().resolve(bad).code(), ErrorCode::InvalidArgument) << bad;
}

TEST_F(Naming, LinksOutOfTheMediaDirectoryAreRefused)
{
    auto outside = root().parent_path() / (root().filename().string() + "-outside");
    std::filesystem::create_directories(outside);
    std::filesystem::create_directories(root() / "DCIM");
    std::filesystem::create_symlink(outside, root() / "DCIM/100APPLE");
    auto planted = MediaDirectory::prepare(root());
    ASSERT_FALSE(planted.ok());
    EXPECT_NE(planted.message().find("leads out of the media directory through a symbolic link"), std::string::npos) << planted.message();

    // A link to a single asset file is caught when the file is resolved.
    std::filesystem::remove(root() / "DCIM/100APPLE");
    auto directory = MediaDirectory::prepare(root());
    ASSERT_TRUE(directory.ok()) << directory.message();
    std::filesystem::create_symlink(outside / "theirs", root() / "DCIM/100APPLE/IMG_0001.MOV");
    EXPECT_EQ(directory.value().resolve("DCIM/100APPLE/IMG_0001.MOV").code(), ErrorCode::InvalidArgument);
    EXPECT_TRUE(std::filesystem::is_empty(outside));
    std::filesystem::remove_all(outside);
}

TEST(LocalIdentifiers, AreDistinct)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(IdentifierGenerator::newLocalIdentifier());
    EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace photos::test
