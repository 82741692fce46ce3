// The compositor's building blocks on their own: pictures, blur, corners,
// text weights, signatures, in-memory pictures.

#include "RenderTestSupport.h"

#include "platform/render/BitmapLayer.h"
#include "platform/render/Blur.h"
#include "platform/render/CornerPath.h"
#include "platform/render/LayerPainter.h"
#include "platform/render/TextPainter.h"

#include "platform/render/TreeSignature.h"
#include <cmath>

#include <cairo.h>

namespace {

TEST(Surface, RefusesSidesThatCannotBeAPicture)
{
    EXPECT_FALSE(render::Surface(0, 10).isValid());
    EXPECT_FALSE(render::Surface(10, -1).isValid());
    EXPECT_FALSE(render::Surface(1 << 20, 1 << 20).isValid());
    EXPECT_EQ(render::Surface(0, 10).pixel(0, 0), (Pixel { 0, 0, 0, 0 }));
    EXPECT_FALSE(render::Surface::adopt(nullptr).isValid());
}

TEST(Surface, FramesCarryStraightAlpha)
{
    render::Surface s(2, 1);
    s.clear({ 1, 0.5, 0, 0.5 });  // stored premultiplied
    auto frame = s.toScreenFrame();
    EXPECT_EQ(frame->width, 2);
    EXPECT_EQ(frame->pixels[0], 255);
    EXPECT_NEAR(frame->pixels[1], 128, 1);
    EXPECT_EQ(frame->pixels[2], 0);
    EXPECT_NEAR(frame->pixels[3], 128, 1);
    EXPECT_EQ(s.pixel(1, 0)[0], 255);
    EXPECT_EQ(s.pixel(5, 0), (Pixel { 0, 0, 0, 0 }));
    // A recycled frame of another size is resized, not overrun.
    auto big = std::make_shared<ScreenFrame>();
    big->width = 1;
    big->pixels.assign(4, 9);
    auto reused = s.toScreenFrame(big);
    EXPECT_EQ(reused->pixels.size(), 8u);
}

TEST(Blur, SpreadsAlphaAndKeepsItsSum)
{
    render::Surface dot(41, 41);
    cairo_t* cr = cairo_create(dot.cairoSurface());
    cairo_rectangle(cr, 15, 15, 11, 11);
    cairo_fill(cr);
    cairo_destroy(cr);
    auto blurred = render::blurredAlpha(dot, 3);
    auto sum = [](const render::Surface& s) {
        long total = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                total += s.pixel(x, y)[3];
        return total;
    };
    EXPECT_LT(blurred.pixel(20, 20)[3], 255);
    EXPECT_GT(blurred.pixel(20, 20)[3], 150);
    EXPECT_GT(blurred.pixel(12, 20)[3], 0);  // spread beyond the edge
    EXPECT_EQ(blurred.pixel(0, 0)[3], 0);
    EXPECT_NEAR(sum(blurred), sum(dot), sum(dot) * 0.03);
    EXPECT_EQ(render::blurredAlpha(dot, 0).pixel(15, 15)[3], 255);  // no blur: a copy
    EXPECT_EQ(render::blurredAlpha(dot, NAN).pixel(15, 15)[3], 255);
}

TEST(Blur, BlursEveryChannelAndKeepsTheColour)
{
    render::Surface square(41, 41);
    cairo_t* cr = cairo_create(square.cairoSurface());
    cairo_set_source_rgb(cr, 1, 0.5, 0);
    cairo_rectangle(cr, 15, 15, 11, 11);
    cairo_fill(cr);
    cairo_destroy(cr);
    auto blurred = render::blurred(square, 3);
    auto edge = blurred.pixel(12, 20);
    EXPECT_GT(edge[3], 0);  // spread beyond the square
    EXPECT_LT(blurred.pixel(20, 20)[3], 255);
    // Straight colour stays orange where the blur reaches, faded or not.
    for (auto p : { edge, blurred.pixel(20, 20) }) {
        EXPECT_NEAR(p[0], 255, 3);
        EXPECT_NEAR(p[1], 128, 6);
        EXPECT_NEAR(p[2], 0, 3);
    }
    EXPECT_EQ(blurred.pixel(0, 0)[3], 0);
    EXPECT_EQ(render::blurred(square, 0).pixel(15, 15), square.pixel(15, 15));  // no blur: a copy
}

TEST(CornerPath, RadiusIsClampedToHalfTheShorterSide)
{
    for (auto curve : { render::CornerCurve::Circular, render::CornerCurve::Continuous }) {
        render::Surface s(100, 40);
        cairo_t* cr = cairo_create(s.cairoSurface());
        render::addRoundedRect(cr, CGRectMake(0, 0, 100, 40), 500, curve);
        cairo_fill(cr);
        EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
        cairo_destroy(cr);
        EXPECT_EQ(s.pixel(50, 20)[3], 255);  // a capsule, not a spill
        EXPECT_EQ(s.pixel(50, 1)[3], 255);
        EXPECT_EQ(s.pixel(0, 0)[3], 0);
        EXPECT_EQ(s.pixel(1, 20)[3] > 0, true);
    }
    EXPECT_EQ(render::cornerCurveNamed("continuous"), render::CornerCurve::Continuous);
    EXPECT_EQ(render::cornerCurveNamed("anything else"), render::CornerCurve::Circular);
}

TEST(TextPainter, WeightsMapToTheNearestNamedWeight)
{
    EXPECT_EQ(render::TextPainter::pangoWeight(UIFontWeightRegular), 400);
    EXPECT_EQ(render::TextPainter::pangoWeight(UIFontWeightBold), 700);
    EXPECT_EQ(render::TextPainter::pangoWeight(UIFontWeightSemibold), 600);
    EXPECT_EQ(render::TextPainter::pangoWeight(UIFontWeightUltraLight), 100);
    EXPECT_EQ(render::TextPainter::pangoWeight(0.39), 700);
    EXPECT_EQ(render::TextPainter::pangoWeight(NAN), 400);
    render::TextPainter text;
    render::TextStyle style;
    CGSize small = text.measure("Record", style);
    style.pointSize = 34;
    CGSize large = text.measure("Record", style);
    EXPECT_NEAR(large.width / small.width, 2, 0.15);
}

// A word wider than the line breaks between characters into lines that
// each fill the width, however long the word; words around it and line
// breaks in the text count as before, and a text of many paragraphs counts
// every line of each.
TEST(TextPainter, ALongWordWrapsIntoFullLinesAndParagraphsAddUp)
{
    render::TextPainter text;
    render::TextStyle style;
    style.pointSize = 13;
    const double width = 120;
    for (std::size_t length : { std::size_t(100), std::size_t(3000), std::size_t(20000) }) {
        const std::string word(length, 'F');
        const double whole = text.measure(word, style).width;
        auto lines = text.measureLines(word, style, width);
        EXPECT_LE(lines.width, width) << length;
        EXPECT_NEAR(static_cast<double>(lines.count), std::ceil(whole / width), 1.0 + whole / width * 0.02) << length;
        // Words and line breaks around it add their own lines.
        auto around = text.measureLines("Before it\n" + word + " after", style, width);
        EXPECT_GE(around.count, lines.count + 1) << length;
        EXPECT_LE(around.count, lines.count + 2) << length;
    }
    std::string paragraphs;
    for (int i = 0; i < 2000; ++i)
        paragraphs += "line " + std::to_string(i) + "\n";
    EXPECT_EQ(text.measureLines(paragraphs + "last", style, width).count, 2001);
    EXPECT_EQ(text.measureLines(paragraphs, style, width).count, 2001) << "the empty paragraph after the last break";
    EXPECT_EQ(text.measureLines(paragraphs, style, 0).count, 2001);
}

TEST(TreeSignature, FollowsWhatIsDrawn)
{
    RunLoop::main().reset(ClockKind::Virtual);
    auto layer = CALayer::layer();
    layer->setFrame(CGRectMake(0, 0, 10, 10));
    auto sign = [&] {
        render::TreeSignature s;
        s.addLayer(*layer);
        return s;
    };
    auto before = sign();
    EXPECT_TRUE(before == sign());
    layer->setBackgroundColor(CGColorCreateSRGB(1, 0, 0, 1));
    EXPECT_FALSE(before == sign());
    auto coloured = sign();
    auto child = CAShapeLayer::layer();
    layer->addSublayer(child);
    EXPECT_FALSE(coloured == sign());
    auto withChild = sign();
    child->setLineDashPattern({ 2, 2 });
    EXPECT_FALSE(withChild == sign());
    auto dashed = sign();
    layer->setMask(CALayer::layer());
    EXPECT_FALSE(dashed == sign());
    // A hidden layer's other properties do not matter.
    layer->setHidden(true);
    auto hidden = sign();
    layer->setCornerRadius(4);
    EXPECT_TRUE(hidden == sign());
}

TEST(BitmapLayer, RefusesPicturesShorterThanTheirSides)
{
    auto layer = BitmapLayer::layer();
    auto frame = std::make_shared<ScreenFrame>();
    frame->width = 100;
    frame->height = 100;
    frame->pixels.resize(100);  // far too few
    layer->setPicture(frame);
    EXPECT_EQ(layer->picture(), nullptr);
    EXPECT_EQ(layer->cairoSurface(), nullptr);
    frame->pixels.assign(100 * 100 * 4, 255);
    layer->setPicture(frame);
    ASSERT_TRUE(layer->cairoSurface());
    EXPECT_EQ(cairo_image_surface_get_width(layer->cairoSurface()), 100);
}

TEST(LayerPainter, PathsWithPointsThatAreNotNumbersAreRefused)
{
    render::Surface s(10, 10);
    cairo_t* cr = cairo_create(s.cairoSurface());
    CGPath path;
    path.points = { { 0, 0 }, { NAN, 1 }, { 1, 1 } };
    path.subpathEnds = { 3 };
    path.openStart = 3;
    EXPECT_FALSE(render::addCGPath(cr, path));
    EXPECT_FALSE(cairo_has_current_point(cr));
    path.points[1] = { 5, 0 };
    EXPECT_TRUE(render::addCGPath(cr, path));
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    cairo_destroy(cr);
}

}  // namespace
