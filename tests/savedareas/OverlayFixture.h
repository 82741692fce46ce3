#pragma once

// The overlay shown on a fresh device, as the saved-area tests start from
// it: the editor behind its window, and a finger to tap with.

#include "platform/foundation/Foundation.h"
#include "platform/uikit/HapticsLog.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/TestDevice.h"
#include "tweak/core/MarqelWindow.h"
#include "tweak/editor/MarqelViewController.h"

#include <gtest/gtest.h>

class OverlayFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIApplication::sharedApplication()->reset();
        UIScreen::mainScreen()->resetToDefault();
        HapticsLog::shared().clear();
        window = alloc<MarqelWindow>()->init();
        window->showWithAnimation(false);
        RunLoop::main().drain();
        editor = window->marqelVC();
    }

    static CGPoint centreOf(const std::shared_ptr<UIView>& view)
    {
        CGRect bounds = view->bounds();
        return view->convertPointToScreen(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
    }
    static void tapAt(CGPoint point)
    {
        auto app = UIApplication::sharedApplication();
        app->sendTouch(UITouchPhaseBegan, point);
        app->sendTouch(UITouchPhaseEnded, point);
    }
    static void tapCentre(const std::shared_ptr<UIView>& view) { tapAt(centreOf(view)); }

    TestDevice device;
    std::shared_ptr<MarqelWindow> window;
    std::shared_ptr<MarqelViewController> editor;
};
