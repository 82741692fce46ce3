// Bundles read their Info.plist: the executable to load and the principal
// class to show come from it.

#include "platform/foundation/Foundation.h"
#include "platform/springboard/SettingsAppHost.h"
#include "tests/settings/TestBundle.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

bool logged(std::size_t from, const std::string& text)
{
    for (const auto& line : SystemLog::shared().lines(from))
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

TEST(BundleInfo, ATrailingSlashNamesTheSameBundleAndItsExecutable)
{
    TestDevice device;
    testbundle::install(nullptr);
    auto withSlash = NSBundle::bundleWithPath("/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/");
    ASSERT_TRUE(withSlash);
    EXPECT_EQ(withSlash, NSBundle::bundleWithPath("/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle"));
    EXPECT_EQ(withSlash->bundlePath(), "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle");
    // Without an Info.plist the executable is "<Name>.so".
    auto loaded = withSlash->loadAndReturnError();
    EXPECT_TRUE(loaded) << loaded.message();
    EXPECT_TRUE(objc_getClass("TestPrefsRootController"));
}

TEST(BundleInfo, WithoutAnInfoPlistTheDictionaryIsEmptyAndThereIsNoPrincipalClass)
{
    TestDevice device;
    testbundle::install(nullptr);
    auto bundle = NSBundle::bundleWithPath(SettingsAppHost::preferenceBundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->infoDictionary()->count(), 0u);
    EXPECT_TRUE(bundle->objectForInfoDictionaryKey("NSPrincipalClass").isNull());
    EXPECT_EQ(bundle->readInfoDictionary().code(), foundation::ErrorCode::NotFound);
    std::size_t mark = SystemLog::shared().lineCount();
    EXPECT_EQ(bundle->principalClass(), nullptr);
    EXPECT_TRUE(logged(mark, "MarqelPrefs.bundle names no NSPrincipalClass in its Info.plist"));
}

TEST(BundleInfo, ThePrincipalClassIsTheOneTheInfoPlistNamesOnceLoaded)
{
    TestDevice device;
    auto info = testbundle::info();
    info.set("CFBundleExecutable", PlistValue("TestPrefs.so"));
    testbundle::install(&info, "TestPrefs.so");
    auto bundle = NSBundle::bundleWithPath(SettingsAppHost::preferenceBundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(*bundle->objectForInfoDictionaryKey("CFBundleIdentifier").get<std::string>(), "com.example.TestPrefs");
    EXPECT_EQ(msgSend<id>(bundle, "infoDictionary"), bundle->infoDictionary());
    Class cls = bundle->principalClass();
    ASSERT_TRUE(cls);
    EXPECT_STREQ(class_getName(cls), "TestPrefsRootController");
    EXPECT_TRUE(bundle->isLoaded());
}

TEST(BundleInfo, AnExecutableNameThatLeavesTheBundleIsRefused)
{
    TestDevice device;
    auto info = testbundle::info();
    info.set("CFBundleExecutable", PlistValue("../../MarqelPrefs.so"));
    testbundle::install(&info);
    auto bundle = NSBundle::bundleWithPath(SettingsAppHost::preferenceBundlePath);
    auto loaded = bundle->loadAndReturnError();
    ASSERT_FALSE(loaded);
    EXPECT_NE(loaded.message().find("not a file name in the bundle"), std::string::npos) << loaded.message();
    EXPECT_FALSE(bundle->isLoaded());
}

TEST(BundleInfo, ADamagedInfoPlistReadsEmptyAndSaysWhy)
{
    TestDevice device;
    testbundle::install(nullptr);
    std::ofstream(device.host("/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Info.plist")) << "<plist><dict><key>";
    auto bundle = NSBundle::bundleWithPath(SettingsAppHost::preferenceBundlePath);
    std::size_t mark = SystemLog::shared().lineCount();
    EXPECT_EQ(bundle->infoDictionary()->count(), 0u);
    EXPECT_TRUE(logged(mark, "the Info.plist of /var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle cannot be read"));
    EXPECT_EQ(bundle->readInfoDictionary().code(), foundation::ErrorCode::UnreadableInput);
}

}  // namespace
