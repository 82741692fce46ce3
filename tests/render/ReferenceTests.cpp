// Reference pictures: the helper itself, and pictures of our drawings that
// must not change unnoticed.

#include "RenderTestSupport.h"

#include "PictureAuditCheck.h"
#include "ReferenceImage.h"
#include "platform/render/SymbolCatalog.h"

#include <cairo.h>

namespace {

render::Surface plain(int w, int h, render::RGBA colour)
{
    render::Surface s(w, h);
    s.clear(colour);
    return s;
}

TEST(ReferenceImage, ToleranceAllowsSmallDifferencesOnly)
{
    auto a = plain(10, 10, { 0.5, 0.5, 0.5, 1 });
    auto b = plain(10, 10, { 0.51, 0.5, 0.5, 1 });
    auto c = plain(10, 10, { 0.6, 0.5, 0.5, 1 });
    EXPECT_EQ(reference::compare(a, b, 3).differing, 0);
    auto d = reference::compare(a, c, 3);
    EXPECT_EQ(d.differing, 100);
    EXPECT_EQ(d.firstX, 0);
    EXPECT_GE(d.largest, 25);
    EXPECT_FALSE(reference::compare(a, plain(10, 11, { 0.5, 0.5, 0.5, 1 }), 3).sameSize);
}

TEST(ReferenceImage, MissingReferencesAndOddNamesFail)
{
    if (reference::updating())
        GTEST_SKIP() << "writing references";
    auto a = plain(4, 4, { 1, 0, 0, 1 });
    EXPECT_FALSE(reference::matches(a, "no-such-reference-picture"));
    EXPECT_FALSE(reference::matches(a, "../escape"));
    EXPECT_FALSE(reference::matches(a, "a/b"));
}

// Every symbol of the catalog in a row, white on dark grey, at 3x.
render::Surface symbolSheet()
{
    std::vector<std::string> names = render::symbols::fixedNames();
    for (const char* lettered : { "a.square.fill", "m.square.fill", "7.square.fill" })
        names.push_back(lettered);
    const int cell = 24 * 3;
    render::Surface sheet(static_cast<int>(names.size()) * cell, cell);
    sheet.clear({ 0.15, 0.15, 0.15, 1 });
    cairo_t* cr = cairo_create(sheet.cairoSurface());
    for (std::size_t i = 0; i < names.size(); ++i)
        render::symbols::draw(cr, names[i], CGRectMake(i * cell + 6, 6, cell - 12, cell - 12), { 1, 1, 1, 1 });
    cairo_destroy(cr);
    return sheet;
}

TEST(ReferenceImage, SymbolCatalog)
{
    EXPECT_TRUE(reference::matches(symbolSheet(), "symbols", 3));
}

TEST_F(RenderTest, HomeScreenReference)
{
    HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
    HomeScreen::shared().show();
    // Text may differ by a hair between font versions; the rest may not.
    EXPECT_TRUE(reference::matches(screen(), "home-screen", 4, 0.002));
    EXPECT_TRUE(audit::readsWell("home-screen"));
}

}  // namespace
