#include "scenario/SettingsSteps.h"

#include "kit/ZRTutorialViewController.h"
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

std::shared_ptr<UIView> toggleOnScreen()
{
    Class toggleClass = objc_getClass("MRQToggleView");
    if (!toggleClass)
        return nullptr;
    for (const auto& view : automation::visibleViews())
        if (view->isKindOfClass(toggleClass) && automation::onScreen(view))
            return view;
    return nullptr;
}

// What the switch shows once its animations settle: the card at full
// opacity, and the label. A card half faded counts as neither.
std::string toggleShows(const std::shared_ptr<UIView>& toggle)
{
    auto enabled = msgSend<std::shared_ptr<UIView>>(toggle, "enabledView");
    auto disabled = msgSend<std::shared_ptr<UIView>>(toggle, "disabledView");
    auto label = msgSend<std::shared_ptr<UILabel>>(toggle, "statusLabel");
    auto visible = [](const std::shared_ptr<UIView>& card) { return card && card->alpha() == 1 && !card->isHidden(); };
    std::string card = visible(enabled) && !visible(disabled) ? "enabled"
        : visible(disabled) && !visible(enabled)              ? "disabled"
                                                              : "no single card";
    return card + " card, label \"" + (label ? label->text() : "") + "\"";
}

Status expectToggle(StepContext& c)
{
    TRY(c.need(1));
    const std::string& want = c.argument(0);
    if (want != "enabled" && want != "disabled")
        return StepContext::failure("the toggle is enabled or disabled, not \"" + want + "\"");
    auto toggle = toggleOnScreen();
    if (!toggle)
        return StepContext::mismatch("the enable switch", "none on screen");
    std::string expected = want + " card, label \"" + (want == "enabled" ? "Enabled" : "Disabled") + "\"";
    std::string found = toggleShows(toggle);
    if (found != expected)
        return StepContext::mismatch(expected, found);
    return {};
}

// A finger on the visible card, as the user turns the tweak on or off.
Status tapToggle(StepContext& c)
{
    TRY(c.driver().requireBooted("tap-toggle"));
    auto toggle = toggleOnScreen();
    if (!toggle)
        return StepContext::failure("no enable switch on screen");
    auto enabled = msgSend<std::shared_ptr<UIView>>(toggle, "enabledView");
    auto disabled = msgSend<std::shared_ptr<UIView>>(toggle, "disabledView");
    auto card = enabled && enabled->alpha() > 0 ? enabled : disabled;
    if (!card)
        return StepContext::failure("the enable switch has no card to tap");
    CGRect bounds = card->bounds();
    CGPoint centre = card->convertPointToScreen(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
    return c.driver().tap(centre);
}

std::shared_ptr<ZRTutorialViewController> tutorialOnScreen()
{
    for (const auto& view : automation::visibleViews()) {
        auto controller = objc_cast<ZRTutorialViewController>(view->owningViewController());
        if (controller && automation::onScreen(view))
            return controller;
    }
    return nullptr;
}

Status expectPages(StepContext& c)
{
    TRY(c.need(1));
    auto tutorial = tutorialOnScreen();
    if (!tutorial)
        return StepContext::mismatch("the tutorial", "none on screen");
    return c.expectCount(0, tutorial->pages().size(), "tutorial pages");
}

// Page I's symbol, and its text as far as the scenario writes it: the
// exact texts are checked by unit tests, where trailing spaces survive.
Status expectPage(StepContext& c)
{
    TRY(c.need(3));
    auto index = TRY(c.count(0));
    const std::string& symbol = c.argument(1);
    std::string text = c.rest(2);
    auto tutorial = tutorialOnScreen();
    if (!tutorial)
        return StepContext::mismatch("the tutorial", "none on screen");
    const auto& pages = tutorial->pages();
    if (index < 1 || static_cast<std::size_t>(index) > pages.size())
        return StepContext::mismatch("page " + c.argument(0), std::to_string(pages.size()) + " pages");
    const auto& page = pages[static_cast<std::size_t>(index) - 1];
    auto image = page.iconView ? page.iconView->image() : nullptr;
    std::string foundSymbol = image && image->isSymbolImage() ? image->symbolName() : "none";
    std::string foundText = page.textLabel ? page.textLabel->text() : "";
    if (foundSymbol != symbol || foundText.rfind(text, 0) != 0)
        return StepContext::mismatch("page " + c.argument(0) + " " + symbol + " \"" + text + "...\"",
            foundSymbol + " \"" + foundText + "\"");
    return {};
}

}  // namespace

Status registerSettingsSteps(automation::ScenarioDriver& d)
{
    TRY(d.registerStep("tap-toggle", "tap-toggle", tapToggle));
    TRY(d.registerExpectation("toggle", "expect toggle enabled|disabled", expectToggle));
    TRY(d.registerExpectation("pages", "expect pages N", expectPages));
    TRY(d.registerExpectation("page", "expect page I SYMBOL TEXT", expectPage));
    return {};
}

}  // namespace scenario
