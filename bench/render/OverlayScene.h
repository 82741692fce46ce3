#pragma once

// A screen like the crop overlay's, over the home screen: a full-screen
// window with a dimming view whose even-odd mask cuts a 250 × 250 hole, a
// box outline with twelve handle bars, a top bar with a close button and a
// bottom bar of five round white buttons holding symbols.

#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/CAShapeLayer.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

#include <memory>

struct OverlayScene {
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIView> dimming;
    std::shared_ptr<UIView> box;
    CGRect hole;

    static CGPathRef holePath(CGRect screen, CGRect hole)
    {
        auto path = CGPathCreateMutable();
        CGPathAddRect(path, nullptr, screen);
        CGPathAddRect(path, nullptr, hole);
        return path;
    }

    // Moves the hole and the box (as a drag of the box would).
    void moveHole(CGRect to)
    {
        hole = to;
        auto mask = std::static_pointer_cast<CAShapeLayer>(dimming->layer()->mask());
        mask->setPath(holePath(dimming->bounds(), hole));
        box->setFrame(hole);
    }

    static OverlayScene make()
    {
        OverlayScene scene;
        HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
        HomeScreen::shared().show();
        CGRect screen = UIScreen::mainScreen()->bounds();
        scene.window = alloc<UIWindow>();
        scene.window->setWindowLevel(UIWindowLevelStatusBar + 1);
        scene.window->makeKeyAndVisible();

        scene.hole = CGRectMake(70, 260, 250, 250);
        scene.dimming = scene.window->add<UIView>(screen);
        scene.dimming->setBackgroundColor(UIColor::colorWithWhite(0, 0.5));
        auto mask = CAShapeLayer::layer();
        mask->setFillRule(kCAFillRuleEvenOdd);
        mask->setPath(holePath(screen, scene.hole));
        scene.dimming->layer()->setMask(mask);

        scene.box = scene.window->add<UIView>(scene.hole);
        scene.box->layer()->setBorderWidth(1.5);
        scene.box->layer()->setBorderColor(UIColor::whiteColor()->CGColor());
        const double bar = 24, thick = 4;
        // Two bars at each corner, one at the middle of each side.
        const CGRect handles[12] = {
            { { -thick / 2, -thick / 2 }, { bar, thick } },
            { { -thick / 2, -thick / 2 }, { thick, bar } },
            { { 250 - bar + thick / 2, -thick / 2 }, { bar, thick } },
            { { 250 - thick / 2, -thick / 2 }, { thick, bar } },
            { { -thick / 2, 250 - thick / 2 }, { bar, thick } },
            { { -thick / 2, 250 - bar + thick / 2 }, { thick, bar } },
            { { 250 - bar + thick / 2, 250 - thick / 2 }, { bar, thick } },
            { { 250 - thick / 2, 250 - bar + thick / 2 }, { thick, bar } },
            { { 125 - bar / 2, -thick / 2 }, { bar, thick } },
            { { 125 - bar / 2, 250 - thick / 2 }, { bar, thick } },
            { { -thick / 2, 125 - bar / 2 }, { thick, bar } },
            { { 250 - thick / 2, 125 - bar / 2 }, { thick, bar } },
        };
        for (const CGRect& h : handles) {
            auto handle = scene.box->add<UIView>(h);
            handle->setBackgroundColor(UIColor::whiteColor());
            handle->layer()->setCornerRadius(thick / 2);
        }

        auto top = scene.window->add<UIView>(CGRectMake(0, 0, screen.size.width, 100));
        top->setBackgroundColor(UIColor::colorWithWhite(0, 0.35));
        auto close = UIButton::buttonWithType(UIButtonTypeSystem);
        close->setImage(UIImage::systemImageNamed("xmark"), UIControlStateNormal);
        close->setTintColor(UIColor::whiteColor());
        close->setFrame(CGRectMake(screen.size.width - 60, 50, 40, 40));
        close->setBackgroundColor(UIColor::colorWithWhite(1, 0.2));
        close->layer()->setCornerRadius(20);
        top->addSubview(close);

        auto bottom = scene.window->add<UIView>(CGRectMake(0, screen.size.height - 130, screen.size.width, 130));
        bottom->setBackgroundColor(UIColor::colorWithWhite(0, 0.35));
        const char* symbols[5] = { "record.circle", "mic.fill", "arrow.up.left.and.arrow.down.right",
            "square.grid.2x2.fill", "timer" };
        for (int i = 0; i < 5; ++i) {
            auto button = UIButton::buttonWithType(UIButtonTypeCustom);
            button->setFrame(CGRectMake(25 + i * 70, 25, 56, 56));
            button->setBackgroundColor(UIColor::whiteColor());
            button->layer()->setCornerRadius(28);
            button->layer()->setShadowOpacity(0.25);
            button->layer()->setShadowRadius(6);
            button->layer()->setShadowOffset({ 0, 2 });
            button->setImage(UIImage::systemImageNamed(symbols[i]), UIControlStateNormal);
            button->setTintColor(i == 0 ? UIColor::systemRedColor() : UIColor::blackColor());
            bottom->addSubview(button);
        }
        return scene;
    }
};
