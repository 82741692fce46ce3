// The picture audit on small screens built for one fault each: what a reader
// would trip over is found, named and measured; what reads well passes.

#include "tests/render/RenderTestSupport.h"

#include "platform/render/PictureAudit.h"
#include "platform/render/TextPainter.h"

using render::PictureAudit;

namespace {

class PictureAuditTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        RunLoop::main().reset(ClockKind::Virtual);
        root = alloc<UIView>(CGRectMake(0, 0, 390, 844));
        root->setBackgroundColor(UIColor::whiteColor());
    }
    std::shared_ptr<UILabel> label(const std::string& text, CGRect frame, std::shared_ptr<UIColor> colour = UIColor::blackColor())
    {
        auto l = root->add<UILabel>(frame);
        l->setText(text);
        l->setTextColor(std::move(colour));
        return l;
    }
    // A label as wide and tall as its text.
    std::shared_ptr<UILabel> fitted(const std::string& text, CGPoint origin, std::shared_ptr<UIColor> colour = UIColor::blackColor())
    {
        auto l = label(text, CGRectZero, std::move(colour));
        CGSize size = l->sizeThatFits({ 0, 0 });
        l->setFrame(CGRectMake(origin.x, origin.y, size.width, size.height));
        return l;
    }
    std::vector<PictureAudit::Finding> audit() { return PictureAudit::auditLayerTree(*root->layer()); }
    static std::string all(const std::vector<PictureAudit::Finding>& findings) { return PictureAudit::report("test.png", findings); }

    std::shared_ptr<UIView> root;
};

TEST_F(PictureAuditTest, ReadableTextWhereItBelongsPasses)
{
    fitted("Record only a part of the screen", { 20, 100 });
    auto message = label("Several lines of a message that wraps at the width of its label, as many as it needs", CGRectZero);
    message->setNumberOfLines(0);
    CGSize size = message->sizeThatFits({ 300, 0 });
    message->setFrame(CGRectMake(20, 200, 300, size.height));
    auto findings = audit();
    EXPECT_TRUE(findings.empty()) << all(findings);
}

TEST_F(PictureAuditTest, ALabelCutShortIsFoundWithTheSizeItNeeds)
{
    auto cut = fitted("Save Custom Area", { 20, 100 });
    cut->setLineBreakMode(NSLineBreakByWordWrapping);
    CGRect frame = cut->frame();
    cut->setFrame(CGRectMake(20, 100, frame.size.width / 2, frame.size.height));
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_EQ(findings[0].problem, PictureAudit::Problem::Cut);
    EXPECT_EQ(findings[0].viewClass, "UILabel");
    EXPECT_EQ(findings[0].text, "Save Custom Area");
    EXPECT_NE(all(findings).find("test.png: UILabel \"Save Custom Area\": text cut off: needs "), std::string::npos) << all(findings);
}

TEST_F(PictureAuditTest, ATruncatingLabelMayEndInAnEllipsisButNotLoseItsHeight)
{
    // The default mode truncates the tail: a long name in a narrow row is
    // what the mode is for.
    auto name = fitted("A very long name for a saved area", { 20, 100 });
    name->setFrame(CGRectMake(20, 100, 80, name->frame().size.height));
    EXPECT_TRUE(audit().empty()) << all(audit());

    // No mode lets the glyphs be cut across: a label too short for its line.
    name->setFrame(CGRectMake(20, 100, 300, 8));
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_EQ(findings[0].problem, PictureAudit::Problem::Cut);
}

TEST_F(PictureAuditTest, LinesWrappedPastTheBottomAreFound)
{
    auto page = label("A page of the tutorial that needs three or four lines at this width, more than its label has", CGRectMake(20, 100, 200, 21));
    page->setNumberOfLines(0);
    page->setLineBreakMode(NSLineBreakByWordWrapping);
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_NE(findings[0].detail.find("wrapped past its bounds"), std::string::npos) << findings[0].detail;
}

TEST_F(PictureAuditTest, ALabelWithNoRoomIsFound)
{
    // A status word laid out at zero size shows nothing at all.
    label("Enabled", CGRectMake(100, 100, 0, 0));
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_NE(findings[0].detail.find("no room for the text"), std::string::npos) << findings[0].detail;
}

TEST_F(PictureAuditTest, TextOverTextIsFoundUnlessACardHidesTheLowerOne)
{
    fitted("Home", { 20, 100 });
    fitted("Work", { 30, 104 });
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_EQ(findings[0].problem, PictureAudit::Problem::Overlap);
    EXPECT_NE(all(findings).find("UILabel \"Work\": overlaps UILabel \"Home\""), std::string::npos) << all(findings);

    // A menu on an opaque card over a row: the row's name is under the card.
    root->subviews().back()->removeFromSuperview();
    auto card = root->add<UIView>(CGRectMake(10, 90, 200, 60));
    card->setBackgroundColor(UIColor::whiteColor());
    auto item = card->add<UILabel>(CGRectMake(10, 12, 100, 21));
    item->setText("Rename");
    findings = audit();
    EXPECT_TRUE(findings.empty()) << all(findings);
}

TEST_F(PictureAuditTest, GreyOnGreyFailsThreeToOne)
{
    root->setBackgroundColor(rgb(0.5, 0.5, 0.5));
    fitted("Disabled", { 20, 100 }, rgb(0.65, 0.65, 0.65));
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_EQ(findings[0].problem, PictureAudit::Problem::Contrast);
    EXPECT_NE(findings[0].detail.find(", needs 3:1 (#A6A6A6 on #808080)"), std::string::npos) << findings[0].detail;
    EXPECT_NE(findings[0].detail.find("contrast 1.6:1"), std::string::npos) << findings[0].detail;
}

TEST_F(PictureAuditTest, FourToOneIsEnoughForALabelButNotForAMessage)
{
    // 127 grey on white is 4.0:1.
    auto grey = rgb(127 / 255.0, 127 / 255.0, 127 / 255.0);
    auto line = fitted("Saved areas", { 20, 100 }, grey);
    EXPECT_TRUE(audit().empty()) << all(audit());

    line->setNumberOfLines(0);
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_NE(findings[0].detail.find("contrast 4:1, needs 4.5:1"), std::string::npos) << findings[0].detail;

    // Large text is read at 3:1 even over several lines.
    line->setFont(UIFont::systemFontOfSize(20));
    line->sizeToFit();
    EXPECT_TRUE(audit().empty()) << all(audit());
}

TEST_F(PictureAuditTest, TextBehindADimmingLayerIsNotJudged)
{
    fitted("FaceTime", { 20, 100 }, UIColor::whiteColor());
    root->setBackgroundColor(rgb(0.2, 0.2, 0.3));
    auto dimming = root->add<UIView>(root->bounds());
    dimming->setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.7));
    EXPECT_TRUE(audit().empty()) << all(audit());

    // Where the dimming layer is cut open, the text is read again.
    auto mask = CAShapeLayer::layer();
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 50, 390, 200));
    CGPathAddRect(path, nullptr, root->bounds());
    mask->setPath(path);
    mask->setFillRule(kCAFillRuleEvenOdd);
    CGPathRelease(path);
    dimming->layer()->setMask(mask);
    EXPECT_TRUE(audit().empty()) << all(audit());
    root->subviews().front()->setAlpha(0.3);
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_EQ(findings[0].problem, PictureAudit::Problem::Contrast);
}

TEST_F(PictureAuditTest, AViewPastTheEdgeIsFoundUnlessAScrollViewClipsIt)
{
    auto badge = root->add<UIView>(CGRectMake(350, 20, 100, 30));
    badge->setBackgroundColor(UIColor::systemRedColor());
    auto findings = audit();
    ASSERT_EQ(findings.size(), 1u) << all(findings);
    EXPECT_EQ(findings[0].problem, PictureAudit::Problem::OffScreen);
    EXPECT_NE(all(findings).find("test.png: UIView: drawn outside the screen: at (350, 20), 100 × 30 points"), std::string::npos) << all(findings);

    badge->removeFromSuperview();
    auto scroll = root->add<UIScrollView>(root->bounds());
    scroll->setContentSize({ 390, 2000 });
    auto page = scroll->add<UIView>(CGRectMake(0, 800, 390, 300));
    page->setBackgroundColor(UIColor::systemGrayColor());
    EXPECT_TRUE(audit().empty()) << all(audit());

    // A faded-out view is not drawn, so not drawn off the screen either.
    badge = root->add<UIView>(CGRectMake(-50, 20, 100, 30));
    badge->setBackgroundColor(UIColor::systemRedColor());
    badge->setAlpha(0);
    EXPECT_TRUE(audit().empty()) << all(audit());
}

TEST(Contrast, FollowsTheWcagFormula)
{
    render::RGBA black { 0, 0, 0, 1 }, white { 1, 1, 1, 1 };
    EXPECT_DOUBLE_EQ(render::contrastRatio(black, white), 21);
    EXPECT_DOUBLE_EQ(render::contrastRatio(white, black), 21);
    EXPECT_NEAR(render::relativeLuminance({ 0.5, 0.5, 0.5, 1 }), 0.2140, 1e-4);
    // Pure green is far brighter to the eye than pure blue.
    EXPECT_NEAR(render::contrastRatio({ 0, 1, 0, 1 }, black), 15.3, 0.05);
    EXPECT_NEAR(render::contrastRatio({ 0, 0, 1, 1 }, black), 2.44, 0.01);
}

// Lines are UIFont's line height apart, so a label sized by its lines holds
// its text exactly and the first line starts at its top.
TEST(TextPainter, LinesAreTheFontsLineHeightApart)
{
    render::TextPainter painter;
    render::TextStyle style;
    style.pointSize = 16;
    style.numberOfLines = 0;
    const double lineHeight = UIFont::systemFontOfSize(16)->lineHeight();
    const std::string text = "A page of the tutorial that takes three lines at this width";
    auto lines = painter.measureLines(text, style, 200);
    ASSERT_EQ(lines.count, 3);
    auto fit = painter.fit(text, style, CGRectMake(0, 0, 200, lines.count * lineHeight));
    EXPECT_EQ(fit.lines, 3);
    EXPECT_NEAR(fit.logical.size.height, 3 * lineHeight, 0.01);
    EXPECT_NEAR(fit.logical.origin.y, 0, 0.01);
    EXPECT_FALSE(fit.ellipsized);

    style.numberOfLines = 1;
    auto one = painter.fit(text, style, CGRectMake(0, 0, 100, lineHeight));
    EXPECT_NEAR(one.logical.size.height, lineHeight, 0.01);
    EXPECT_TRUE(one.ellipsized);
}

}  // namespace

namespace {

render::RGBA over(const UIColor& top, const UIColor& under, UIUserInterfaceStyle style)
{
    auto t = top.componentsForStyle(style), u = under.componentsForStyle(style);
    return { t.red * t.alpha + u.red * (1 - t.alpha), t.green * t.alpha + u.green * (1 - t.alpha), t.blue * t.alpha + u.blue * (1 - t.alpha), 1 };
}

// The faintest system greys meant for text (the switch's status word, the
// rows' disclosure marks, a field's placeholder) still read on the system
// backgrounds, and white titles read on the system teal.
TEST(SystemColours, TheFaintTextGreysAndTheTealButtonReadAtThreeToOne)
{
    for (auto style : { UIUserInterfaceStyleLight, UIUserInterfaceStyleDark }) {
        SCOPED_TRACE(style == UIUserInterfaceStyleDark ? "dark" : "light");
        for (const auto& text : { UIColor::tertiaryLabelColor(), UIColor::placeholderTextColor() })
            for (const auto& page : { UIColor::systemBackgroundColor(), UIColor::secondarySystemBackgroundColor(),
                     UIColor::systemGroupedBackgroundColor(), UIColor::secondarySystemGroupedBackgroundColor() })
                EXPECT_GE(render::contrastRatio(over(*text, *page, style), over(*page, *page, style)), PictureAudit::textContrast);
        auto teal = over(*UIColor::systemTealColor(), *UIColor::blackColor(), style);
        EXPECT_GE(render::contrastRatio({ 1, 1, 1, 1 }, teal), PictureAudit::textContrast);
    }
}

}  // namespace
