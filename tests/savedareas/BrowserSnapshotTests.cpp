// The saved-area browser as the user sees it, compared with reference
// pictures (MARQEL_UPDATE_REFERENCES=1 rewrites them).

#include "tests/savedareas/OverlayFixture.h"

#include "common/SavedAreaStore.h"
#include "platform/render/Compositor.h"
#include "tests/render/ReferenceImage.h"
#include "tweak/editor/MarqelToolButton.h"
#include "tweak/savedareas/MarqelSavedAreaViewController.h"

namespace {

class BrowserSnapshot : public OverlayFixture {
protected:
    void TearDown() override { UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight); }
    void save(const std::string& name, CGRect frame)
    {
        auto contents = SavedAreaStore::load();
        ASSERT_TRUE(SavedAreaStore::add(contents, name, frame).ok());
        RunLoop::main().runFor(0.01);
    }
    void open()
    {
        tapCentre(editor->favButton());
        RunLoop::main().runFor(UIViewController::transitionDuration);
        render::Compositor::shared().invalidate();
    }
    void dark()
    {
        UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleDark);
        RunLoop::main().drain();
        render::Compositor::shared().invalidate();
    }
    const render::Surface& screen() { return render::Compositor::shared().renderSurface(); }
};

TEST_F(BrowserSnapshot, EmptyInLightAndDark)
{
    open();
    EXPECT_TRUE(reference::matches(screen(), "saved-areas-empty", 3, 0.002));
    dark();
    EXPECT_TRUE(reference::matches(screen(), "saved-areas-empty-dark", 3, 0.002));
}

TEST_F(BrowserSnapshot, RowsInLightAndDark)
{
    save("Home", CGRectMake(12.4, 99.6, 250, 250));
    save("_spot", CGRectMake(0, 0, 390, 844));
    save("7 seas", CGRectMake(70, 297, 250, 250));
    open();
    // The list has no fixed order; the picture needs one.
    ASSERT_EQ(MarqelSavedAreaViewController::savedAreas().size(), 3u);
    EXPECT_TRUE(reference::matches(screen(), "saved-areas", 3, 0.002));
    dark();
    EXPECT_TRUE(reference::matches(screen(), "saved-areas-dark", 3, 0.002));
}

}  // namespace
