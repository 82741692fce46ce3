// What views show inside their bounds: label text, symbol images in their
// tint, PNG pictures under the content modes.

#include "RenderTestSupport.h"

#include "platform/render/ImagePainter.h"
#include "platform/render/SymbolCatalog.h"

#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

const Pixel black { 0, 0, 0, 255 };

std::shared_ptr<UILabel> label(UIView& parent, CGRect frame, const std::string& text)
{
    auto l = parent.add<UILabel>(frame);
    l->setText(text);
    l->setTextColor(UIColor::whiteColor());
    return l;
}

// A PNG of one colour in the device root.
std::string writePicture(const TestDevice& device, const std::string& devicePath, int w, int h, double r, double g, double b)
{
    render::Surface picture(w, h);
    picture.clear({ r, g, b, 1 });
    std::filesystem::create_directories(std::filesystem::path(device.host(devicePath)).parent_path());
    EXPECT_TRUE(picture.writePNG(device.host(devicePath)));
    return devicePath;
}

TEST_F(RenderTest, LabelTextStaysInsideItsRectangle)
{
    auto w = window();
    CGRect frame = CGRectMake(40, 100, 200, 30);
    label(*w, frame, "Screen Recording");
    EXPECT_GT(inked(frame, black), 200);
    EXPECT_EQ(inked(CGRectMake(0, 60, 390, 40), black), 0);
    EXPECT_EQ(inked(CGRectMake(0, 130, 390, 60), black), 0);
    EXPECT_EQ(inked(CGRectMake(240, 100, 150, 30), black), 0);
}

TEST_F(RenderTest, LongLabelTextEndsInAnEllipsisAtTheLabelsWidth)
{
    auto w = window();
    CGRect frame = CGRectMake(20, 100, 120, 24);
    label(*w, frame, "A title far too long to fit in one hundred and twenty points");
    // Ink reaches the right end of the label (the ellipsis) and stops there.
    EXPECT_GT(inked(CGRectMake(115, 100, 25, 24), black), 5);
    EXPECT_EQ(inked(CGRectMake(140, 90, 250, 44), black), 0);
}

TEST_F(RenderTest, LabelAlignmentPlacesTheText)
{
    auto w = window();
    auto right = label(*w, CGRectMake(0, 100, 390, 30), "Done");
    right->setTextAlignment(NSTextAlignmentRight);
    auto centre = label(*w, CGRectMake(0, 200, 390, 30), "Done");
    centre->setTextAlignment(NSTextAlignmentCenter);
    label(*w, CGRectMake(0, 300, 390, 30), "Done");
    EXPECT_EQ(inked(CGRectMake(0, 100, 300, 30), black), 0);
    EXPECT_GT(inked(CGRectMake(300, 100, 90, 30), black), 50);
    EXPECT_EQ(inked(CGRectMake(0, 200, 150, 30), black), 0);
    EXPECT_EQ(inked(CGRectMake(240, 200, 150, 30), black), 0);
    EXPECT_GT(inked(CGRectMake(0, 300, 90, 30), black), 50);
}

TEST_F(RenderTest, LabelWrapsOnlyAsManyLinesAsAskedFor)
{
    auto w = window();
    std::string text = "words that wrap over more than one line of this narrow label";
    auto one = label(*w, CGRectMake(10, 100, 150, 80), text);
    auto two = label(*w, CGRectMake(200, 100, 150, 80), text);
    two->setNumberOfLines(2);
    // One line sits in the middle band; two lines reach above it.
    EXPECT_EQ(inked(CGRectMake(10, 100, 150, 25), black), 0);
    EXPECT_GT(inked(CGRectMake(200, 100, 150, 40), black), 50);
    EXPECT_EQ(inked(CGRectMake(200, 100, 150, 10), black), 0);
}

TEST_F(RenderTest, BiggerAndBolderFontsInkMore)
{
    auto w = window();
    auto regular = label(*w, CGRectMake(0, 100, 390, 60), "Record");
    regular->setFont(UIFont::systemFontOfSize(20));
    auto bold = label(*w, CGRectMake(0, 200, 390, 60), "Record");
    bold->setFont(UIFont::systemFontOfSize(20, UIFontWeightBold));
    auto big = label(*w, CGRectMake(0, 300, 390, 60), "Record");
    big->setFont(UIFont::systemFontOfSize(40));
    long r = inked(regular->frame(), black), b = inked(bold->frame(), black), g = inked(big->frame(), black);
    EXPECT_GT(b, r * 1.15);
    EXPECT_GT(g, r * 3);
}

TEST_F(RenderTest, LabelsSurviveTextThatIsNotValidUTF8)
{
    auto w = window();
    label(*w, CGRectMake(10, 100, 200, 30), std::string("ok \xff\xfe broken"));
    EXPECT_GT(inked(CGRectMake(10, 100, 200, 30), black), 50);
}

TEST_F(RenderTest, SymbolImagesAreDrawnInTheTintColour)
{
    auto w = window();
    auto image = alloc<UIImageView>(CGRectMake(50, 50, 60, 60));
    image->setImage(UIImage::systemImageNamed("xmark"));
    image->setTintColor(rgb(1, 0, 0));
    w->addSubview(image);
    const auto& s = screen();
    long red = 0, other = 0;
    for (int y = 150; y < 330; ++y)
        for (int x = 150; x < 330; ++x) {
            Pixel p = s.pixel(x, y);
            if (p[0] > 200 && p[1] < 40 && p[2] < 40)
                ++red;
            else if (p[1] > 40 || p[2] > 40)
                ++other;
        }
    EXPECT_GT(red, 2000);
    EXPECT_EQ(other, 0);
    // Unset, the tint comes from the superview.
    image->setTintColor(nullptr);
    w->setTintColor(rgb(0, 1, 0));
    EXPECT_TRUE(near(at(80, 80), 0, 255, 0, 10));
}

TEST_F(RenderTest, EverySymbolOfTheCatalogDrawsInsideItsRectangle)
{
    std::vector<std::string> names = render::symbols::fixedNames();
    for (char c = 'a'; c <= 'z'; ++c)
        names.push_back(std::string(1, c) + ".square.fill");
    for (char c = '0'; c <= '9'; ++c)
        names.push_back(std::string(1, c) + ".square.fill");
    for (const char* name : { "record.circle", "mic.fill", "mic.slash.fill", "arrow.up.left.and.arrow.down.right",
             "arrow.down.right.and.arrow.up.left", "square.grid.2x2.fill", "rectangle.fill.badge.plus", "xmark",
             "trash.fill", "power", "timer" })
        EXPECT_TRUE(render::symbols::has(name)) << name;
    EXPECT_FALSE(render::symbols::has("A.square.fill"));
    EXPECT_FALSE(render::symbols::has("ab.square.fill"));
    for (const auto& name : names) {
        ASSERT_TRUE(UIImage::systemImageNamed(name)) << name;
        render::Surface surface(100, 100);
        cairo_t* cr = cairo_create(surface.cairoSurface());
        EXPECT_TRUE(render::symbols::draw(cr, name, CGRectMake(20, 20, 60, 60), { 1, 1, 1, 1 }));
        cairo_destroy(cr);
        long inside = 0, outside = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                bool in = x >= 20 && x < 80 && y >= 20 && y < 80;
                if (surface.pixel(x, y)[3] > 0)
                    ++(in ? inside : outside);
            }
        EXPECT_GT(inside, 300) << name;
        EXPECT_EQ(outside, 0) << name;
    }
}

TEST_F(RenderTest, LetteredSquaresKnockTheirCharacterOut)
{
    auto coverage = [](const std::string& name) {
        render::Surface surface(90, 90);
        cairo_t* cr = cairo_create(surface.cairoSurface());
        render::symbols::draw(cr, name, CGRectMake(0, 0, 90, 90), { 1, 1, 1, 1 });
        cairo_destroy(cr);
        long filled = 0;
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 90; ++x)
                filled += surface.pixel(x, y)[3] > 128;
        return filled;
    };
    long i = coverage("i.square.fill"), m = coverage("m.square.fill"), eight = coverage("8.square.fill");
    // The letters take different amounts out of the same square, and the
    // clear pixels are really clear (the drawing keeps its own group).
    EXPECT_LT(m, i);
    EXPECT_LT(eight, 90 * 90 * 0.93);
    EXPECT_GT(eight, 90 * 90 * 0.6);
    auto w = window(UIWindowLevelNormal, rgb(0, 0, 1));
    auto square = alloc<UIImageView>(CGRectMake(100, 100, 90, 90));
    square->setImage(UIImage::systemImageNamed("i.square.fill"));
    square->setTintColor(rgb(1, 1, 1));
    w->addSubview(square);
    EXPECT_GT(inked(CGRectMake(100, 100, 90, 90), { 255, 255, 255, 255 }), 200);  // blue shows through
}

TEST_F(RenderTest, ContentModesPlaceTheImage)
{
    CGRect bounds = CGRectMake(0, 0, 40, 40);
    CGSize wide = { 20, 10 };
    EXPECT_EQ(render::imageRect(bounds, wide, UIViewContentModeScaleToFill), bounds);
    EXPECT_EQ(render::imageRect(bounds, wide, UIViewContentModeScaleAspectFit), CGRectMake(0, 10, 40, 20));
    EXPECT_EQ(render::imageRect(bounds, wide, UIViewContentModeScaleAspectFill), CGRectMake(-20, 0, 80, 40));
    EXPECT_EQ(render::imageRect(bounds, wide, UIViewContentModeCenter), CGRectMake(10, 15, 20, 10));
    EXPECT_EQ(render::imageRect(bounds, wide, UIViewContentModeBottomRight), CGRectMake(20, 30, 20, 10));
    // A symbol keeps its shape where a picture would stretch.
    EXPECT_EQ(render::imageRect(bounds, wide, UIViewContentModeScaleToFill, true), CGRectMake(0, 10, 40, 20));
    EXPECT_EQ(render::imageRect(bounds, CGSizeZero, UIViewContentModeScaleToFill), CGRectZero);
}

TEST_F(RenderTest, PNGImagesAreFittedAndFilled)
{
    auto path = writePicture(device, "/var/mobile/Media/wide@2x.png", 40, 20, 1, 0, 0);  // 20 x 10 points
    auto image = UIImage::imageWithContentsOfFile(path);
    ASSERT_TRUE(image);
    auto w = window();
    auto fit = alloc<UIImageView>(CGRectMake(0, 100, 40, 40));
    fit->setImage(image);
    fit->setContentMode(UIViewContentModeScaleAspectFit);
    w->addSubview(fit);
    auto fill = alloc<UIImageView>(CGRectMake(100, 100, 40, 40));
    fill->setImage(image);
    fill->setContentMode(UIViewContentModeScaleAspectFill);
    fill->setClipsToBounds(true);
    w->addSubview(fill);
    EXPECT_TRUE(near(at(20, 120), 255, 0, 0));
    EXPECT_TRUE(near(at(20, 105), 0, 0, 0));  // above the fitted band
    EXPECT_TRUE(near(at(102, 102), 255, 0, 0));
    EXPECT_TRUE(near(at(138, 138), 255, 0, 0));
    EXPECT_TRUE(near(at(98, 120), 0, 0, 0));  // clipped to the view
}

TEST_F(RenderTest, TemplateImagesTakeTheTint)
{
    auto path = writePicture(device, "/var/mobile/Media/shape.png", 30, 30, 1, 0, 0);
    auto w = window();
    auto view = alloc<UIImageView>(CGRectMake(0, 100, 30, 30));
    view->setImage(UIImage::imageWithContentsOfFile(path)->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
    view->setTintColor(rgb(0, 1, 0));
    w->addSubview(view);
    EXPECT_TRUE(near(at(15, 115), 0, 255, 0));
}

TEST_F(RenderTest, AnUnreadablePictureDrawsNothingAndTheScreenGoesOn)
{
    // A PNG signature and header, then garbage.
    std::string devicePath = "/var/mobile/Media/broken.png";
    std::filesystem::create_directories(std::filesystem::path(device.host(devicePath)).parent_path());
    {
        std::ofstream file(device.host(devicePath), std::ios::binary);
        const unsigned char header[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
            0, 0, 0, 10, 0, 0, 0, 10, 8, 6, 0, 0, 0, 0xde, 0xad, 0xbe, 0xef, 1, 2, 3 };
        file.write(reinterpret_cast<const char*>(header), sizeof header);
    }
    auto image = UIImage::imageWithContentsOfFile(devicePath);
    ASSERT_TRUE(image);  // the header alone looks fine
    auto w = window();
    auto view = alloc<UIImageView>(CGRectMake(0, 100, 30, 30));
    view->setImage(image);
    w->addSubview(view);
    w->add<UIView>(CGRectMake(100, 100, 30, 30))->setBackgroundColor(rgb(0, 0, 1));
    EXPECT_EQ(inked(CGRectMake(0, 100, 30, 30), black), 0);
    EXPECT_TRUE(near(at(115, 115), 0, 0, 255));
}

}  // namespace

namespace {

// A picture is written only in place of a regular file: a FIFO, a link or a
// folder at the path is refused and left as it was, and a written picture
// reads back whole.
TEST(SurfaceFile, APictureReplacesOnlyARegularFile)
{
    TestDevice device;
    namespace fs = std::filesystem;
    fs::path folder = device.host("/tmp/pictures");
    fs::create_directories(folder);
    render::Surface picture(4, 3);
    picture.clear({ 1, 0, 0, 1 });

    std::string fifo = (folder / "fifo.png").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_FALSE(picture.writePNG(fifo));
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the FIFO is left as it was";
    // Nor is one read: an image named by a file anyone may write (a
    // settings entry's icon) would otherwise block the app in its open.
    auto fromFifo = render::Surface::readPNG(fifo);
    ASSERT_FALSE(fromFifo);
    EXPECT_EQ(fromFifo.code(), foundation::ErrorCode::UnreadableInput);
    EXPECT_NE(fromFifo.message().find("a FIFO"), std::string::npos) << fromFifo.message();

    std::string outside = (folder / "outside.txt").string();
    std::ofstream(outside) << "keep";
    std::string link = (folder / "link.png").string();
    fs::create_symlink(outside, link);
    EXPECT_FALSE(picture.writePNG(link));
    EXPECT_TRUE(fs::is_symlink(link));
    std::ifstream kept(outside);
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "keep") << "nothing is written through the link";

    std::string regular = (folder / "old.png").string();
    std::ofstream(regular) << "an older picture";
    ASSERT_TRUE(picture.writePNG(regular));
    auto back = render::Surface::readPNG(regular);
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value().width(), 4);
    EXPECT_EQ(back.value().pixel(2, 1)[0], 255);

    EXPECT_FALSE(picture.writePNG((folder / "missing" / "x.png").string())) << "a folder that is not there is an error";
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().ends_with(".part")) << "no temporary is left: " << entry.path();
}

}  // namespace
