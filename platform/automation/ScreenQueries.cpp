#include "platform/automation/ScreenQueries.h"

#include "platform/runtime/Runtime.h"
#include "platform/uikit/UIKit.h"

namespace automation {

namespace {

void collect(const std::shared_ptr<UIView>& view, std::vector<std::shared_ptr<UIView>>& out)
{
    if (!view || view->isHidden())
        return;
    const auto& subviews = view->subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
        collect(*it, out);
    out.push_back(view);
}

// Shown windows, front-most first.
std::vector<std::shared_ptr<UIWindow>> shownWindows()
{
    std::vector<std::shared_ptr<UIWindow>> shown;
    auto windows = UIApplication::sharedApplication()->windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (!(*it)->isHidden())
            shown.push_back(*it);
    return shown;
}

// What `controller` presents. A screen inside a navigation controller
// presents for itself here, where UIKit would hand the presentation to the
// navigation controller: so the children are asked too, the top one first.
std::shared_ptr<UIViewController> presentedBy(const std::shared_ptr<UIViewController>& controller)
{
    if (auto presented = controller->presentedViewController())
        return presented;
    const auto& children = controller->childViewControllers();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto presented = presentedBy(*it))
            return presented;
    return nullptr;
}

}  // namespace

std::vector<std::shared_ptr<UIView>> visibleViews()
{
    std::vector<std::shared_ptr<UIView>> out;
    for (const auto& window : shownWindows()) {
        window->layoutIfNeeded();
        collect(window, out);
    }
    return out;
}

std::vector<std::shared_ptr<UIView>> viewsUnder(const std::shared_ptr<UIView>& root)
{
    std::vector<std::shared_ptr<UIView>> out;
    collect(root, out);
    return out;
}

bool onScreen(const std::shared_ptr<UIView>& view)
{
    for (auto v = view; v; v = v->superview())
        if (v->isHidden() || v->presentationAlpha() <= 0.01)
            return false;
    return true;
}

std::shared_ptr<UIView> findViewOfClass(Class cls)
{
    if (!cls)
        return nullptr;
    for (const auto& view : visibleViews())
        if (view->isKindOfClass(cls))
            return view;
    return nullptr;
}

std::shared_ptr<UIWindow> findWindowOfClass(Class cls)
{
    if (!cls)
        return nullptr;
    auto windows = UIApplication::sharedApplication()->windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->isKindOfClass(cls))
            return *it;
    return nullptr;
}

std::string symbolOf(const std::shared_ptr<UIView>& view)
{
    if (auto imageView = objc_cast<UIImageView>(view); imageView && imageView->image())
        return imageView->image()->symbolName();
    return "";
}

std::string titleOf(const std::shared_ptr<UIView>& view)
{
    if (auto button = objc_cast<UIButton>(view))
        return button->currentTitle();
    if (auto label = objc_cast<UILabel>(view))
        return label->text();
    return "";
}

std::shared_ptr<UIView> findSymbol(const std::string& name)
{
    for (const auto& view : visibleViews())
        if (symbolOf(view) == name && onScreen(view))
            return view;
    return nullptr;
}

std::shared_ptr<UIView> findTitled(const std::string& title)
{
    for (const auto& view : visibleViews())
        if (titleOf(view) == title && onScreen(view))
            return view;
    return nullptr;
}

CGPoint screenCentre(const std::shared_ptr<UIView>& view)
{
    CGRect bounds = view->bounds();
    return view->convertPointToScreen(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
}

std::shared_ptr<UIAlertController> alertOnScreen()
{
    for (const auto& window : shownWindows())
        for (auto controller = window->rootViewController(); controller; controller = presentedBy(controller))
            if (auto alert = objc_cast<UIAlertController>(controller))
                return alert;
    return nullptr;
}

std::shared_ptr<UIViewController> topPresentedController()
{
    for (const auto& window : shownWindows()) {
        auto root = window->rootViewController();
        auto top = root ? presentedBy(root) : nullptr;
        if (!top)
            continue;
        while (auto next = presentedBy(top))
            top = next;
        return top;
    }
    return nullptr;
}

std::shared_ptr<UINavigationController> topNavigationController()
{
    for (const auto& window : shownWindows()) {
        auto top = window->rootViewController();
        if (!top)
            continue;
        while (auto next = presentedBy(top))
            top = next;
        for (auto controller = top; controller; controller = controller->parentViewController())
            if (auto navigation = objc_cast<UINavigationController>(controller))
                return navigation;
        return nullptr;
    }
    return nullptr;
}

}  // namespace automation
