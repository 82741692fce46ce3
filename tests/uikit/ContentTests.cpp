// What views show: symbol images, image files, colours, fonts, appearance,
// and the haptic taps the user feels.

#include "UIKitTestSupport.h"

#include "kit/UIColor+ZRColours.h"
#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

#include <fstream>

namespace {

class Content : public UIKitTest {
protected:
    // A PNG's signature and header chunk, which is all the stand-in reads.
    void writePng(const std::string& devicePath, std::uint32_t width, std::uint32_t height)
    {
        ASSERT_TRUE(DevicePath::makeParents(devicePath));
        std::ofstream file(device.host(devicePath), std::ios::binary);
        const unsigned char head[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R' };
        file.write(reinterpret_cast<const char*>(head), sizeof head);
        for (std::uint32_t v : { width, height }) {
            const unsigned char be[] = { static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v) };
            file.write(reinterpret_cast<const char*>(be), 4);
        }
        const unsigned char rest[] = { 8, 6, 0, 0, 0, 0, 0, 0, 0 };
        file.write(reinterpret_cast<const char*>(rest), sizeof rest);
    }
};

TEST_F(Content, TheToolBarsSymbolsComeFromTheCatalog)
{
    for (const char* name : { "record.circle", "mic.fill", "mic.slash.fill", "arrow.up.left.and.arrow.down.right",
             "arrow.down.right.and.arrow.up.left", "square.grid.2x2.fill", "rectangle.fill.badge.plus", "xmark",
             "trash.fill", "power", "timer", "a.square.fill", "z.square.fill", "0.square.fill", "9.square.fill" }) {
        auto image = UIImage::systemImageNamed(name);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->symbolName(), name);
        EXPECT_TRUE(image->isSymbolImage());
    }
}

TEST_F(Content, AnUnknownSymbolNameGivesNoImageAndNoError)
{
    for (const char* name : { "", "gear", "mic", "A.square.fill", "ab.square.fill", ".square.fill", "a.square",
             "record.circle ", "xmark.circle" })
        EXPECT_EQ(UIImage::systemImageNamed(name), nullptr) << name;
    // An icon view simply stays empty.
    auto icon = alloc<UIImageView>(UIImage::systemImageNamed("gear"));
    EXPECT_EQ(icon->image(), nullptr);
    EXPECT_EQ(icon->frame().size, CGSizeZero);
}

TEST_F(Content, ImageFilesAreReadForTheirSizeAndScale)
{
    writePng("/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/hero@3x.png", 1170, 600);
    auto hero = UIImage::imageWithContentsOfFile("/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/hero@3x.png");
    ASSERT_TRUE(hero);
    EXPECT_EQ(hero->size(), CGSizeMake(390, 200));
    EXPECT_EQ(hero->scale(), 3);
    EXPECT_EQ(hero->filePath(), "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/hero@3x.png");
    auto byName = UIImage::imageNamed("hero", "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle");
    ASSERT_TRUE(byName);
    EXPECT_EQ(byName->size(), CGSizeMake(390, 200));
}

TEST_F(Content, MissingBrokenOrEscapingImageFilesGiveNoImage)
{
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/mobile/missing.png"), nullptr);
    ASSERT_TRUE(DevicePath::makeParents("/var/mobile/notes.png"));
    std::ofstream(device.host("/var/mobile/notes.png")) << "not a picture at all, honestly";
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/mobile/notes.png"), nullptr);
    std::ofstream(device.host("/var/mobile/short.png")) << "\x89PNG";
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/mobile/short.png"), nullptr);
    writePng("/var/mobile/empty.png", 0, 10);
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/mobile/empty.png"), nullptr);
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/../../etc/passwd"), nullptr);
    EXPECT_EQ(UIImage::imageNamed("../hero", "/var/mobile"), nullptr);
}

TEST_F(Content, StoredHexColoursBecomeColoursAndNonsenseBecomesNothing)
{
    auto orange = zr::colourFromHex("FF8000");
    ASSERT_TRUE(orange);
    CGFloat r, g, b, a;
    orange->getRed(&r, &g, &b, &a);
    EXPECT_DOUBLE_EQ(r, 1);
    EXPECT_DOUBLE_EQ(g, 128 / 255.0);
    EXPECT_DOUBLE_EQ(b, 0);
    EXPECT_DOUBLE_EQ(a, 1);
    EXPECT_TRUE(zr::colourFromHex("FFFFFF")->isEqual(UIColor::whiteColor()));
    EXPECT_TRUE(zr::colourFromHex("#00ff00")->isEqual(UIColor::greenColor()));
    for (const char* bad : { "", "FFF", "FFFFFFF", "GGGGGG", "FF 000", "+FFFFF", "#", "##FFFFFF", "0xFFFF" })
        EXPECT_EQ(zr::colourFromHex(bad), nullptr) << bad;
}

TEST_F(Content, KitColoursAreDistinctAndOpaqueWhereTheyFill)
{
    EXPECT_FALSE(zr::enabledColour()->isEqual(zr::disabledColour()));
    EXPECT_EQ(zr::enabledColour()->alphaComponent(), 1);
    EXPECT_LT(zr::enabledShadowColour()->alphaComponent(), 1);
    EXPECT_LT(zr::disabledShadowColour()->alphaComponent(), 1);
    EXPECT_FALSE(zr::enabledBorderColour()->isEqual(zr::disabledBorderColour()));
    EXPECT_FALSE(zr::primaryColour()->isEqual(zr::secondaryColour()));
}

TEST_F(Content, ColoursCompareByValueAndKeepTheirAppearanceWithANewAlpha)
{
    EXPECT_TRUE(UIColor::colorWithRed(0, 0, 0, 0.4)->isEqual(UIColor::blackColor()->colorWithAlphaComponent(0.4)));
    EXPECT_FALSE(UIColor::blackColor()->isEqual(UIColor::labelColor()));  // fixed is not dynamic
    auto faded = UIColor::systemRedColor()->colorWithAlphaComponent(0.5);
    EXPECT_TRUE(faded->isDynamic());
    EXPECT_EQ(faded->alphaComponent(), 0.5);
    EXPECT_FALSE(UIColorEqual(nullptr, UIColor::clearColor()));
    EXPECT_TRUE(UIColorEqual(nullptr, nullptr));
}

TEST_F(Content, DarkAppearanceChangesLabelColoursAndRecolorsShownViews)
{
    auto window = shownWindow();
    auto card = window->add<UIView>(CGRectMake(0, 0, 100, 100));
    card->setBackgroundColor(UIColor::systemBackgroundColor());
    EXPECT_EQ(UIColor::labelColor()->components(), (UIColor::RGBA { 0, 0, 0, 1 }));
    EXPECT_EQ(*card->layer()->backgroundColor(), (CGColor { 1, 1, 1, 1 }));

    UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleDark);
    EXPECT_EQ(UIColor::labelColor()->components(), (UIColor::RGBA { 1, 1, 1, 1 }));
    EXPECT_TRUE(card->traitCollection()->isDark());
    EXPECT_EQ(*card->layer()->backgroundColor(), (CGColor { 0, 0, 0, 1 }));
    auto label = alloc<UILabel>();
    EXPECT_EQ(label->textColor()->components().red, 1);
}

TEST_F(Content, FontsCarrySizeAndWeight)
{
    auto font = UIFont::systemFontOfSize(14);
    EXPECT_EQ(font->pointSize(), 14);
    EXPECT_EQ(font->weight(), UIFontWeightRegular);
    auto bold = UIFont::systemFontOfSize(17, UIFontWeightSemibold);
    EXPECT_EQ(bold->weight(), UIFontWeightSemibold);
    EXPECT_TRUE(bold->isEqual(UIFont::systemFontOfSize(17, UIFontWeightSemibold)));
    EXPECT_FALSE(bold->isEqual(font));
}

TEST_F(Content, TheBoxsReadOutIsWhiteCentredTextOnTranslucentBlackShownOnlyWhileTouched)
{
    auto editor = alloc<MarqelViewController>();
    auto window = shownWindow(editor);
    auto box = editor->marqelView();
    auto readout = box->rectLabel();
    ASSERT_TRUE(readout);
    EXPECT_TRUE(readout->font()->isEqual(UIFont::systemFontOfSize(14)));
    EXPECT_TRUE(readout->textColor()->isEqual(UIColor::whiteColor()));
    EXPECT_EQ(readout->textAlignment(), NSTextAlignmentCenter);
    ASSERT_TRUE(readout->backgroundColor());
    EXPECT_TRUE(readout->backgroundColor()->isEqual(UIColor::blackColor()->colorWithAlphaComponent(0.4)));
    EXPECT_EQ(CGColorGetAlpha(readout->layer()->backgroundColor()), 0.4);
    EXPECT_EQ(readout->layer()->cornerRadius(), 4);
    EXPECT_EQ(readout->layer()->cornerCurve(), "continuous");
    EXPECT_TRUE(readout->layer()->masksToBounds());
    EXPECT_EQ(readout->alpha(), 0);

    auto app = UIApplication::sharedApplication();
    ASSERT_EQ(app->sendTouch(UITouchPhaseBegan, screenCentre(box)), box);
    EXPECT_EQ(readout->alpha(), 1);
    EXPECT_EQ(readout->text(), "W:250 H:250");
    app->sendTouch(UITouchPhaseEnded, screenCentre(box));
    EXPECT_EQ(readout->alpha(), 0);
    EXPECT_EQ(readout->text(), "W:250 H:250");
}

TEST_F(Content, ALabelWithoutATextColourUsesTheLabelColour)
{
    auto label = alloc<UILabel>();
    label->setTextColor(UIColor::whiteColor());
    label->setTextColor(nullptr);  // back to the label colour, never none
    EXPECT_TRUE(label->textColor()->isEqual(UIColor::labelColor()));
}

TEST_F(Content, ImpactsAreLoggedWithTheirStyleAndTime)
{
    auto soft = alloc<UIImpactFeedbackGenerator>(UIImpactFeedbackStyleSoft);
    soft->impactOccurred();
    RunLoop::main().runFor(1.5);
    auto medium = alloc<UIImpactFeedbackGenerator>(UIImpactFeedbackStyleMedium);
    medium->prepare();  // plays nothing by itself
    EXPECT_EQ(HapticsLog::shared().count(), 1u);
    medium->impactOccurred();
    auto impacts = HapticsLog::shared().impacts();
    ASSERT_EQ(impacts.size(), 2u);
    EXPECT_EQ(impacts[0].style, UIImpactFeedbackStyleSoft);
    EXPECT_EQ(impacts[0].time, 0);
    EXPECT_EQ(impacts[1].style, UIImpactFeedbackStyleMedium);
    EXPECT_EQ(impacts[1].time, 1.5);
    HapticsLog::shared().clear();
    EXPECT_EQ(HapticsLog::shared().count(), 0u);
}

TEST_F(Content, ImpactsThatCannotBeFeltAreNotLogged)
{
    alloc<UIImpactFeedbackGenerator>(static_cast<UIImpactFeedbackStyle>(7))->impactOccurred();
    alloc<UIImpactFeedbackGenerator>(static_cast<UIImpactFeedbackStyle>(-1))->impactOccurred();
    auto light = alloc<UIImpactFeedbackGenerator>(UIImpactFeedbackStyleLight);
    light->impactOccurredWithIntensity(0);
    light->impactOccurredWithIntensity(NAN);
    EXPECT_EQ(HapticsLog::shared().count(), 0u);
    light->impactOccurredWithIntensity(3);
    ASSERT_EQ(HapticsLog::shared().count(), 1u);
    EXPECT_EQ(HapticsLog::shared().impacts()[0].intensity, 1);
}

TEST_F(Content, TheScreenIsConfigurableButNeverEmpty)
{
    auto screen = UIScreen::mainScreen();
    EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 390, 844));
    EXPECT_EQ(screen->nativeBounds(), CGRectMake(0, 0, 1170, 2532));
    EXPECT_TRUE(screen->setSize({ 428, 926 }));
    EXPECT_TRUE(screen->setScale(2));
    EXPECT_EQ(screen->nativeBounds(), CGRectMake(0, 0, 856, 1852));
    EXPECT_EQ(alloc<UIWindow>()->frame(), CGRectMake(0, 0, 428, 926));
    auto refused = screen->setSize({ 0, 926 });
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("positive"), std::string::npos) << refused.message();
    EXPECT_FALSE(screen->setScale(-1));
    EXPECT_FALSE(screen->setScale(NAN));
    EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 428, 926));
}

}  // namespace
