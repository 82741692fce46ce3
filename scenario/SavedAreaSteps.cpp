#include "scenario/SavedAreaSteps.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScreenQueries.h"
#include "platform/automation/StepContext.h"
#include "platform/foundation/Foundation.h"
#include "platform/runtime/Runtime.h"
#include "platform/uikit/UIKit.h"

namespace scenario {

using automation::StepContext;
using foundation::Status;

namespace {

// The browser lives in the tweak's module, so it is known by name; its
// parts are read through the selectors it answers.
std::shared_ptr<UIViewController> browserOnScreen()
{
    Class browserClass = objc_getClass("MarqelSavedAreaViewController");
    if (!browserClass)
        return nullptr;
    for (const auto& view : automation::visibleViews()) {
        auto controller = view->owningViewController();
        if (controller && controller->isKindOfClass(browserClass) && automation::onScreen(view))
            return controller;
    }
    return nullptr;
}

std::shared_ptr<UICollectionView> browserList(const std::shared_ptr<UIViewController>& browser)
{
    return msgSend<std::shared_ptr<UICollectionView>>(browser, "collectionView");
}

// Rows as they show on screen once the pending layout is done.
std::shared_ptr<UICollectionView> laidOutList(const std::shared_ptr<UIViewController>& browser)
{
    auto list = browserList(browser);
    if (list)
        list->layoutIfNeeded();
    return list;
}

Status expectAreas(StepContext& c)
{
    TRY(c.need(1));
    auto browser = browserOnScreen();
    if (!browser)
        return StepContext::mismatch("the saved-area browser", "none");
    auto list = laidOutList(browser);
    std::size_t rows = 0;
    for (const auto& cell : list ? list->visibleCells() : std::vector<std::shared_ptr<UICollectionViewCell>> {})
        if (automation::onScreen(cell))
            ++rows;
    return c.expectCount(0, rows, "areas");
}

std::string shown(const std::shared_ptr<UICollectionViewCell>& cell)
{
    auto name = msgSend<std::shared_ptr<UILabel>>(cell, "nameLabel");
    auto frame = msgSend<std::shared_ptr<UILabel>>(cell, "frameLabel");
    auto icon = msgSend<std::shared_ptr<UIImageView>>(cell, "icon");
    std::string symbol = icon && icon->image() && icon->image()->isSymbolImage() ? icon->image()->symbolName() : "none";
    return (name ? name->text() : "") + " | " + (frame ? frame->text() : "") + " | " + symbol;
}

Status expectArea(StepContext& c)
{
    TRY(c.need(2));
    auto index = TRY(c.count(0));
    std::string want = c.rest(1);
    auto browser = browserOnScreen();
    if (!browser)
        return StepContext::mismatch("the saved-area browser", "none");
    auto list = laidOutList(browser);
    auto cell = list ? list->cellForItemAtIndexPath({ 0, index }) : nullptr;
    if (!cell || !automation::onScreen(cell))
        return StepContext::mismatch("area " + c.argument(0) + " " + want, "no row " + c.argument(0) + " on screen");
    std::string found = shown(cell);
    if (found != want)
        return StepContext::mismatch("area " + c.argument(0) + " " + want, found);
    return {};
}

Status expectMessage(StepContext& c)
{
    TRY(c.need(1));
    const std::string& want = c.argument(0);
    if (want != "visible" && want != "hidden")
        return StepContext::failure("a message is visible or hidden, not \"" + want + "\"");
    auto browser = browserOnScreen();
    if (!browser)
        return StepContext::mismatch("the saved-area browser", "none");
    auto label = msgSend<std::shared_ptr<UILabel>>(browser, "messageLabel");
    std::string found = label && automation::onScreen(label) ? "visible" : "hidden";
    if (found != want)
        return StepContext::mismatch("message " + want, "message " + found);
    return {};
}

Status choose(StepContext& c)
{
    TRY(c.need(1));
    std::string title = c.rest(0);
    auto menu = objc_cast<UIContextMenuView>(automation::findViewOfClass(UIContextMenuView::classObject()));
    if (!menu)
        return StepContext::failure("no context menu is open");
    if (!menu->chooseActionWithTitle(title))
        return StepContext::failure("the menu has no action \"" + title + "\"");
    RunLoop::main().drain();
    return {};
}

}  // namespace

Status registerSavedAreaSteps(automation::ScenarioDriver& d)
{
    TRY(d.registerStep("choose", "choose TITLE", choose));
    TRY(d.registerExpectation("areas", "expect areas N", expectAreas));
    TRY(d.registerExpectation("area", "expect area I NAME | FRAMETEXT | SYMBOL", expectArea));
    TRY(d.registerExpectation("message", "expect message visible|hidden", expectMessage));
    return {};
}

}  // namespace scenario
