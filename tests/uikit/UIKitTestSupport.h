#pragma once

#include "platform/uikit/UIKit.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

// Every test starts on a fresh device root and virtual clock with no windows
// shown, the default screen, light appearance and an empty haptics log (the
// device puts them back when the test ends, too).
class UIKitTest : public ::testing::Test {
protected:
    TestDevice device;

    static std::shared_ptr<UIWindow> shownWindow(std::shared_ptr<UIViewController> root = nullptr)
    {
        auto window = alloc<UIWindow>();
        if (root)
            window->setRootViewController(std::move(root));
        window->makeKeyAndVisible();
        return window;
    }

    // A finger down and up at one screen point.
    static std::shared_ptr<UIView> tap(CGPoint point)
    {
        auto app = UIApplication::sharedApplication();
        auto view = app->sendTouch(UITouchPhaseBegan, point);
        app->sendTouch(UITouchPhaseEnded, point);
        return view;
    }

    static CGPoint screenCentre(const std::shared_ptr<UIView>& view)
    {
        CGRect b = view->bounds();
        return view->convertPointToScreen({ CGRectGetMidX(b), CGRectGetMidY(b) });
    }
};

inline void ExpectRect(const CGRect& actual, CGFloat x, CGFloat y, CGFloat w, CGFloat h, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.origin.x, x, tolerance) << NSStringFromCGRect(actual);
    EXPECT_NEAR(actual.origin.y, y, tolerance) << NSStringFromCGRect(actual);
    EXPECT_NEAR(actual.size.width, w, tolerance) << NSStringFromCGRect(actual);
    EXPECT_NEAR(actual.size.height, h, tolerance) << NSStringFromCGRect(actual);
}
