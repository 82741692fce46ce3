#include "tests/photosapp/PhotosLibrary.h"

#include "platform/foundation/Foundation.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photosapp/PhotosViewController.h"
#include "platform/render/Compositor.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/Media.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace photostest {

std::string importColourMovie(testsupport::TempDir& scratch, const std::vector<Colour>& colours, double creationDate, int width,
    int height)
{
    static int made = 0;
    std::vector<std::string> names;
    for (const auto& c : colours) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%02X%02X%02X", c[0], c[1], c[2]);
        names.push_back(hex);
    }
    const std::string path = scratch.path() + "/movie" + std::to_string(++made) + ".mov";
    if (!testsupport::makeColourMovie(path, names, width, height))
        throw std::runtime_error("ffmpeg could not make " + path);
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store();
    if (!store)
        throw std::runtime_error(store.message());
    photos::MediaFacts facts { width, height, static_cast<double>(colours.size()) };
    auto record = store.value()->importFile(path, photos::MediaType::Video, facts, creationDate);
    if (!record)
        throw std::runtime_error(record.message());
    return record.value().localIdentifier;
}

std::string assetFile(const std::string& localIdentifier)
{
    auto* store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
    auto record = store->asset(localIdentifier).value();
    return store->filePath(*record).value().string();
}

PhotosScreen showPhotos()
{
    PhotosScreen shown;
    shown.controller = alloc<PhotosViewController>();
    shown.window = alloc<UIWindow>(UIScreen::mainScreen()->bounds());
    shown.window->setRootViewController(shown.controller);
    shown.window->makeKeyAndVisible();
    RunLoop::main().drain();
    return shown;
}

std::shared_ptr<const ScreenFrame> screen() { return render::Compositor::shared().renderScreen(); }

Colour colourAt(const ScreenFrame& frame, CGPoint point)
{
    const CGFloat scale = UIScreen::mainScreen()->scale();
    const int x = static_cast<int>(point.x * scale);
    const int y = static_cast<int>(point.y * scale);
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height)
        return { -1, -1, -1 };
    const auto* p = &frame.pixels[(static_cast<std::size_t>(y) * frame.width + x) * 4];
    return { p[0], p[1], p[2] };
}

Colour colourAt(CGPoint point) { return colourAt(*screen(), point); }

CGPoint centreOf(const UIView& view)
{
    CGRect b = view.bounds();
    return view.convertPointToScreen(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)));
}

bool near(Colour actual, Colour expected, int tolerance)
{
    for (int i = 0; i < 3; ++i)
        if (std::abs(actual[i] - expected[i]) > tolerance)
            return false;
    return true;
}

std::string describe(Colour colour)
{
    return "(" + std::to_string(colour[0]) + ", " + std::to_string(colour[1]) + ", " + std::to_string(colour[2]) + ")";
}

int countNear(const ScreenFrame& frame, CGRect rect, Colour colour, int tolerance)
{
    const CGFloat scale = UIScreen::mainScreen()->scale();
    int count = 0;
    for (int y = static_cast<int>(rect.origin.y * scale); y < static_cast<int>(CGRectGetMaxY(rect) * scale); ++y)
        for (int x = static_cast<int>(rect.origin.x * scale); x < static_cast<int>(CGRectGetMaxX(rect) * scale); ++x) {
            if (x < 0 || y < 0 || x >= frame.width || y >= frame.height)
                continue;
            const auto* p = &frame.pixels[(static_cast<std::size_t>(y) * frame.width + x) * 4];
            if (near({ p[0], p[1], p[2] }, colour, tolerance))
                ++count;
        }
    return count;
}

}  // namespace photostest
