#pragma once

// The Settings app's window on a 375-point-wide phone, with a screen that
// presents the default-area editor, and one finger to drag with.

#include "platform/foundation/Foundation.h"
#include "platform/uikit/UIKit.h"
#include "prefs/DefaultMarqelViewController.h"
#include "prefs/DefaultResizableBox.h"
#include "tests/support/TestDevice.h"
#include "tests/support/Touches.h"

#include <gtest/gtest.h>

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIApplication::sharedApplication()->reset();
        ASSERT_TRUE(UIScreen::mainScreen()->setSize({ 375, 812 }));
        window = alloc<UIWindow>(UIScreen::mainScreen()->bounds());
        settings = alloc<UIViewController>();
        window->setRootViewController(settings);
        window->makeKeyAndVisible();
        RunLoop::main().drain();
    }
    void TearDown() override
    {
        UIApplication::sharedApplication()->reset();
        UIScreen::mainScreen()->resetToDefault();
    }

    // As the settings list opens it: a new editor, full screen, animated.
    std::shared_ptr<DefaultMarqelViewController> open()
    {
        auto editor = alloc<DefaultMarqelViewController>();
        editor->setModalPresentationStyle(UIModalPresentationFullScreen);
        settings->presentViewController(editor, true, nullptr);
        RunLoop::main().runFor(1);
        UIApplication::sharedApplication()->layoutWindows();
        return editor;
    }

    static void touch(UITouchPhase phase, CGPoint point) { testsupport::touch(phase, point); }
    static void drag(CGPoint from, CGPoint to) { testsupport::drag(from, to); }
    static void tap(const std::shared_ptr<UIView>& view)
    {
        CGRect bounds = view->bounds();
        CGPoint centre = view->convertPointToScreen(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
        touch(UITouchPhaseBegan, centre);
        touch(UITouchPhaseEnded, centre);
    }
    static std::shared_ptr<UIButton> button(const std::shared_ptr<DefaultMarqelViewController>& editor, const std::string& title)
    {
        for (const auto& view : editor->bottomView()->subviews()) {
            auto candidate = std::dynamic_pointer_cast<UIButton>(view);
            if (candidate && candidate->titleForState(UIControlStateNormal) == title)
                return candidate;
        }
        return nullptr;
    }

    TestDevice device;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIViewController> settings;
};
