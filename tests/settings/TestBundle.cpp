#include "tests/settings/TestBundle.h"

#include "platform/foundation/DevicePath.h"
#include "platform/springboard/ProcessHost.h"
#include "platform/springboard/SettingsAppHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace testbundle {

PlistDict info()
{
    auto read = plist::readFile(MARQEL_TEST_BUNDLE_INFO);
    EXPECT_TRUE(read) << read.message();
    return read ? *read.value().get<PlistDict>() : PlistDict {};
}

void install(const PlistDict* info, const std::string& executableName)
{
    std::string folder = DevicePath::toHost(SettingsAppHost::preferenceBundlePath).value();
    std::filesystem::create_directories(folder);
    // A hard link to one copy per process: the loader knows the file it
    // already loaded, so its classes are registered once per process, as
    // one bundle's would be. (A symbolic link out of the device root would
    // be refused, as it should.)
    static const struct Staged {
        testsupport::TempDir folder { "marqel-test-bundle" };
        std::string path = folder.file("TestPrefs.so");
        Staged() { std::filesystem::copy_file(MARQEL_TEST_BUNDLE_EXECUTABLE, path); }
    } staged;
    std::filesystem::create_hard_link(staged.path, folder + "/" + executableName);
    if (info) {
        ASSERT_TRUE(plist::writeFileAtomically(PlistValue(*info), folder + "/Info.plist"));
    }
}

void installTweak()
{
    std::string folder = DevicePath::toHost(host::tweakFolder).value();
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(MARQEL_TWEAK_PATH, folder + "/Marqel.so");
    PlistDict filter, bundles;
    bundles.set("Bundles", PlistValue(PlistArray { PlistValue("com.apple.springboard") }));
    filter.set("Filter", PlistValue(bundles));
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(filter), folder + "/Marqel.plist"));
}

}  // namespace testbundle
