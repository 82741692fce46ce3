// Layers draw what their content says, whoever fills it in: a plain layer
// carrying text draws what a label draws, and the painter's costs and
// extents follow the content, not the kind of view.

#include "RenderTestSupport.h"

#include "platform/render/BitmapLayer.h"
#include "platform/render/ImageCache.h"
#include "platform/render/LayerPainter.h"
#include "platform/render/TextPainter.h"
#include "platform/render/TreeSignature.h"

#include <cairo.h>

#include <cstring>
#include <filesystem>

namespace {

// `layer` drawn alone on a clear picture of `w` × `h` points at one pixel a point.
render::Surface paintAlone(const CALayer& layer, int w, int h)
{
    render::Surface picture(w, h);
    cairo_t* cr = cairo_create(picture.cairoSurface());
    render::Compositor::shared().drawLayerTree(cr, layer);
    cairo_destroy(cr);
    return picture;
}

bool samePixels(const render::Surface& a, const render::Surface& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

TextContent whiteText(const std::string& text)
{
    return TextContent { text, UIFont::systemFontOfSize(17), UIColor::whiteColor(), NSTextAlignmentNatural, 1 };
}

TEST_F(RenderTest, TextContentOnAPlainLayerDrawsWhatALabelDraws)
{
    CGRect frame = CGRectMake(10, 10, 200, 30);
    auto label = alloc<UILabel>(frame);
    label->setText("Screen Recording");
    label->setTextColor(UIColor::whiteColor());
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    layer->setContent(whiteText("Screen Recording"));

    auto fromLabel = paintAlone(*label->layer(), 220, 50);
    auto fromLayer = paintAlone(*layer, 220, 50);
    EXPECT_TRUE(samePixels(fromLabel, fromLayer));
    // And something was drawn at all.
    long ink = 0;
    for (int y = 0; y < fromLayer.height(); ++y)
        for (int x = 0; x < fromLayer.width(); ++x)
            ink += fromLayer.pixel(x, y)[3] > 0;
    EXPECT_GT(ink, 100);
}

TEST_F(RenderTest, TextContentCountsAsADrawingForGroupOpacity)
{
    // Red behind white text at half opacity: drawn as one group, the text
    // covers the red before the group fades, so the brightest text pixel is
    // a neutral grey; drawn one by one the red would show through it.
    auto w = window();
    auto layer = CALayer::layer();
    layer->setFrame(CGRectMake(20, 100, 200, 40));
    layer->setBackgroundColor(CGColorCreateSRGB(1, 0, 0, 1));
    layer->setContent(whiteText("WWWW"));
    layer->setOpacity(0.5);
    w->layer()->addSublayer(layer);
    const auto& s = screen();
    Pixel brightest {};
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (Pixel p = s.pixel(x, y); p[1] > brightest[1])
                brightest = p;
    EXPECT_GT(brightest[1], 100);
    EXPECT_TRUE(near(brightest, 128, 128, 128, 6)) << int(brightest[0]) << " " << int(brightest[1]);
}

TEST_F(RenderTest, ImageContentReachingOutOfTheBoundsIsKeptWhenDrawnOffscreen)
{
    render::Surface red(40, 20);
    red.clear({ 1, 0, 0, 1 });
    std::string path = "/var/mobile/Media/wide@2x.png";  // 20 x 10 points
    std::filesystem::create_directories(std::filesystem::path(device.host(path)).parent_path());
    ASSERT_TRUE(red.writePNG(device.host(path)));
    auto w = window();
    auto layer = CALayer::layer();
    layer->setFrame(CGRectMake(100, 100, 10, 10));
    layer->setContent(ImageContent { UIImage::imageWithContentsOfFile(path), UIViewContentModeCenter, nullptr });
    // A shadow draws the layer offscreen, in a picture only as large as its extents.
    layer->setShadowOpacity(0.5);
    w->layer()->addSublayer(layer);
    EXPECT_TRUE(near(at(105, 105), 255, 0, 0));
    EXPECT_TRUE(near(at(96, 105), 255, 0, 0));
    EXPECT_TRUE(near(at(114, 105), 255, 0, 0));
}

TEST(LayerContent, ViewsDescribeWhatTheyShowAtDrawingTime)
{
    auto field = alloc<UITextField>(CGRectMake(0, 0, 100, 30));
    field->setPlaceholder("Name");
    auto shown = std::get<TextContent>(field->layer()->content());
    EXPECT_EQ(shown.text, "Name");
    EXPECT_TRUE(*shown.colour == *UIColor::placeholderTextColor());
    field->setText("h\u00e9!");
    field->setSecureTextEntry(true);
    EXPECT_EQ(std::get<TextContent>(field->layer()->content()).text, "\u2022\u2022\u2022");

    auto control = alloc<UISwitch>(CGRectZero);
    control->setOnTintColor(nullptr);
    control->setOn(true);
    auto knob = std::get<SwitchContent>(control->layer()->content());
    EXPECT_TRUE(knob.on);
    EXPECT_TRUE(*knob.onTint == *UIColor::systemGreenColor());

    // The tint comes from above, as it is when the picture is drawn.
    auto parent = alloc<UIView>(CGRectMake(0, 0, 50, 50));
    auto image = parent->add<UIImageView>(CGRectMake(0, 0, 10, 10));
    parent->setTintColor(rgb(0, 1, 0));
    EXPECT_TRUE(*std::get<ImageContent>(image->layer()->content()).tint == *rgb(0, 1, 0));

    // A plain view has nothing of its own; content set on its layer wins.
    auto plain = alloc<UIView>(CGRectZero);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(plain->layer()->content()));
    plain->layer()->setContent(whiteText("x"));
    EXPECT_EQ(std::get<TextContent>(plain->layer()->content()).text, "x");
}

TEST(LayerContent, TheSignatureFollowsContentOnAPlainLayer)
{
    auto layer = CALayer::layer();
    layer->setFrame(CGRectMake(0, 0, 100, 20));
    auto signature = [&] {
        render::TreeSignature s;
        s.addLayer(*layer);
        return s;
    };
    auto empty = signature();
    layer->setContent(whiteText("one"));
    auto one = signature();
    layer->setContent(whiteText("two"));
    auto two = signature();
    EXPECT_FALSE(empty == one);
    EXPECT_FALSE(one == two);
    layer->setContent(whiteText("two"));
    EXPECT_TRUE(two == signature());
}

TEST(LayerContent, ShapeContentOnAPlainLayerClipsAsAMaskLikeAShapeLayer)
{
    auto ring = CGPathCreateMutable();
    CGPathAddRect(ring, nullptr, CGRectMake(0, 0, 40, 40));
    CGPathAddRect(ring, nullptr, CGRectMake(10, 10, 20, 20));
    auto masked = [&](std::shared_ptr<CALayer> mask, std::uint64_t& offscreen) {
        auto layer = CALayer::layer();
        layer->setFrame(CGRectMake(0, 0, 40, 40));
        layer->setBackgroundColor(CGColorCreateSRGB(1, 0, 0, 1));
        mask->setFrame(layer->bounds());
        layer->setMask(std::move(mask));
        render::ImageCache images;
        render::TextPainter text;
        render::LayerPainter painter(images, text);
        render::Surface picture(40, 40);
        cairo_t* cr = cairo_create(picture.cairoSurface());
        painter.paint(cr, *layer);
        cairo_destroy(cr);
        offscreen = painter.offscreenPasses();
        return picture;
    };
    auto shapeLayer = CAShapeLayer::layer();
    shapeLayer->setPath(ring);
    shapeLayer->setFillRule(kCAFillRuleEvenOdd);
    auto plain = CALayer::layer();
    plain->setContent(ShapeContent { ring, CGColorCreateSRGB(0, 0, 0, 1), nullptr, 1, true, {}, 0 });
    std::uint64_t fromShapeLayer = 0, fromPlain = 0;
    auto expected = masked(shapeLayer, fromShapeLayer);
    auto actual = masked(plain, fromPlain);
    EXPECT_TRUE(samePixels(expected, actual));
    // A plain filled shape clips: no picture drawn offscreen for it.
    EXPECT_EQ(fromShapeLayer, 0u);
    EXPECT_EQ(fromPlain, 0u);
    EXPECT_EQ(actual.pixel(5, 5)[3], 255);  // the ring shows
    EXPECT_EQ(actual.pixel(20, 20)[3], 0);  // the hole does not
}

TEST(LayerContent, PictureContentOnAPlainLayerDrawsLikeABitmapLayer)
{
    auto frame = std::make_shared<ScreenFrame>();
    frame->width = 2;
    frame->height = 2;
    frame->pixels = { 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128, 255, 255, 255, 255 };
    auto bitmap = BitmapLayer::layer();
    bitmap->setFrame(CGRectMake(0, 0, 2, 2));
    bitmap->setPicture(frame);
    auto plain = CALayer::layer();
    plain->setFrame(CGRectMake(0, 0, 2, 2));
    plain->setContent(PictureContent { frame });
    auto expected = paintAlone(*bitmap, 2, 2);
    auto actual = paintAlone(*plain, 2, 2);
    EXPECT_TRUE(samePixels(expected, actual));
    EXPECT_EQ(actual.pixel(1, 0), (Pixel { 0, 255, 0, 255 }));

    // A buffer shorter than the sides claim is not read: nothing shows.
    auto shortFrame = std::make_shared<ScreenFrame>(*frame);
    shortFrame->pixels.resize(12);
    plain->setContent(PictureContent { shortFrame });
    EXPECT_EQ(paintAlone(*plain, 2, 2).pixel(0, 0)[3], 0);
}

}  // namespace
