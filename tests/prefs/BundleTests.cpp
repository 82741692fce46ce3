#include "platform/foundation/PropertyList.h"
#include "platform/render/GradientWallpaper.h"
#include "platform/render/ScreenFrame.h"
#include "platform/render/Surface.h"
#include "platform/runtime/Runtime.h"
#include "platform/uikit/UIScreen.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

const std::string resources = MARQEL_PREFS_RESOURCES;

TEST(PrefsBundle, LoadingThePlugInRegistersItsClassesAndNoneOfTheTweaks)
{
    EXPECT_EQ(objc_getClass("DefaultMarqelViewController"), nullptr) << "this test compiles none of the bundle's classes";
    void* handle = dlopen(MARQEL_PREFS_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    Class controller = objc_getClass("DefaultMarqelViewController");
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(class_isSubclassOf(controller, objc_getClass("UIViewController")));
    EXPECT_TRUE(class_respondsToSelector(controller, sel_registerName("saveChange")));
    EXPECT_NE(objc_getClass("DefaultResizableBox"), nullptr);
    EXPECT_EQ(objc_getClass("ResizableBox"), nullptr);
    EXPECT_EQ(objc_getClass("MarqelViewController"), nullptr);
    // Everything stays hidden but the runtime's registrations.
    EXPECT_EQ(dlsym(handle, "_ZN11BoxGeometry8regionAtE7CGPoint6CGSize"), nullptr);
}

TEST(PrefsBundle, TheInfoDictionaryNamesTheExecutableAndThePrincipalClass)
{
    auto info = plist::readFile(resources + "/Info.plist");
    ASSERT_TRUE(info) << info.error().message;
    const PlistDict* dict = info.value().get<PlistDict>();
    ASSERT_TRUE(dict);
    auto text = [&](const char* key) {
        const PlistValue* value = dict->find(key);
        return value && value->get<std::string>() ? *value->get<std::string>() : std::string("(missing)");
    };
    EXPECT_EQ(text("CFBundleExecutable"), "MarqelPrefs.so");
    EXPECT_EQ(text("CFBundleIdentifier"), "com.zorvelin.MarqelPrefs");
    EXPECT_EQ(text("NSPrincipalClass"), "MRQHomeViewController");
    EXPECT_EQ(text("CFBundleName"), "MarqelPrefs");
}

TEST(PrefsBundle, TheSampleWallpaperIsAPhoneSizedPicture)
{
    auto picture = render::Surface::readPNG(resources + "/Assets/Images/default-wallpaper.png");
    ASSERT_TRUE(picture) << picture.error().message;
    EXPECT_EQ(picture.value().width(), 1170);
    EXPECT_EQ(picture.value().height(), 2532);
    auto top = picture.value().pixel(10, 10);
    auto bottom = picture.value().pixel(1160, 2520);
    EXPECT_EQ(top[3], 255) << "opaque";
    EXPECT_NE(top, bottom) << "a picture, not a flat colour";
}

// The user places the default rectangle over this sample, so it must be
// the very picture the home screen shows behind the overlay.
TEST(PrefsBundle, TheSampleWallpaperIsTheHomeScreensOwnPicture)
{
    auto sample = render::Surface::readPNG(resources + "/Assets/Images/default-wallpaper.png");
    ASSERT_TRUE(sample) << sample.error().message;
    auto home = render::GradientWallpaper::paint(UIScreen::defaultSize, UIScreen::defaultScale);
    ASSERT_TRUE(home);
    auto painted = render::Surface::fromScreenFrame(*home);
    ASSERT_EQ(sample.value().width(), painted.width());
    ASSERT_EQ(sample.value().height(), painted.height());
    for (int y = 0; y < painted.height(); y += 3)
        for (int x = 0; x < painted.width(); x += 3)
            if (sample.value().pixel(x, y) != painted.pixel(x, y)) {
                ADD_FAILURE() << "the sample differs from the home screen's wallpaper at pixel " << x << ", " << y;
                return;
            }
}

}  // namespace
