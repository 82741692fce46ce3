#pragma once

// What a user can see, for step handlers: the views on screen, the alert
// and the controller in front, symbols and titles.

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/Forward.h"
#include "platform/uikit/Forward.h"

#include <memory>
#include <string>
#include <vector>

namespace automation {

// Views in shown windows, front-most window first, each window's tree depth
// first with front-most subviews first. Hidden views and their subviews are
// left out; transparent ones are not (see onScreen).
std::vector<std::shared_ptr<UIView>> visibleViews();
// Every view under `root` that is not hidden, whatever its alpha, in the
// same order.
std::vector<std::shared_ptr<UIView>> viewsUnder(const std::shared_ptr<UIView>& root);
// Neither the view nor any ancestor is hidden or (nearly) transparent.
bool onScreen(const std::shared_ptr<UIView>& view);
// The front-most visible view whose class is `cls` or a subclass of it.
std::shared_ptr<UIView> findViewOfClass(Class cls);
// The front-most window, shown or hidden, whose class is `cls` or a
// subclass of it.
std::shared_ptr<UIWindow> findWindowOfClass(Class cls);

// The symbol an image view shows, or "".
std::string symbolOf(const std::shared_ptr<UIView>& view);
// The text a label shows or the title a button shows, or "".
std::string titleOf(const std::shared_ptr<UIView>& view);
// The front-most view on screen showing the symbol, or null.
std::shared_ptr<UIView> findSymbol(const std::string& name);
// The front-most label or button on screen reading exactly `title`, or null.
std::shared_ptr<UIView> findTitled(const std::string& title);
// The centre of a view in screen coordinates.
CGPoint screenCentre(const std::shared_ptr<UIView>& view);

// The alert controller presented in the front-most window that has one.
std::shared_ptr<UIAlertController> alertOnScreen();
// The last controller of the presentation chain in the front-most shown
// window that presents anything, or null when nothing is presented.
std::shared_ptr<UIViewController> topPresentedController();
// The navigation controller of the front-most controller (the window's root
// or the last one presented) in the front-most shown window that has a
// root, or null when that controller is in none.
std::shared_ptr<UINavigationController> topNavigationController();

}  // namespace automation
