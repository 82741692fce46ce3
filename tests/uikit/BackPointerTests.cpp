// Pointers back up a tree (superview, superlayer, key window, a constraint's
// views, a root view's controller) own nothing; each is cleared by its owner
// when the owner lets go, so none reads as a freed object.

#include "UIKitTestSupport.h"

#include "kit/UIView+ZRLayout.h"

namespace {

class BackPointers : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        controller = alloc<UIViewController>();
        window = shownWindow(controller);
        root = controller->view();
    }
    std::shared_ptr<UIViewController> controller;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIView> root;
};

TEST_F(BackPointers, ARemovedSubviewHasNoSuperviewOrWindow)
{
    auto panel = root->add<UIView>(CGRectMake(0, 0, 100, 100));
    auto badge = panel->add<UIView>(CGRectMake(0, 0, 10, 10));
    EXPECT_EQ(badge->window(), window);
    panel->removeFromSuperview();
    EXPECT_EQ(panel->superview(), nullptr);
    EXPECT_EQ(badge->superview(), panel);
    EXPECT_EQ(badge->window(), nullptr);
    EXPECT_EQ(badge->nextResponder(), panel);
    EXPECT_EQ(panel->nextResponder(), nullptr);
}

TEST_F(BackPointers, ASubviewOutlivingItsSuperviewHasNoSuperview)
{
    std::shared_ptr<UIView> badge;
    {
        auto panel = alloc<UIView>(CGRectMake(0, 0, 100, 100));
        badge = panel->add<UIView>(CGRectMake(0, 0, 10, 10));
    }
    EXPECT_EQ(badge->superview(), nullptr);
    EXPECT_EQ(badge->nextResponder(), nullptr);
    EXPECT_TRUE(badge->layer()->superlayer() == nullptr);
    root->addSubview(badge);  // and it can go somewhere else
    EXPECT_EQ(badge->superview(), root);
    EXPECT_EQ(badge->layer()->superlayer(), root->layer());
}

TEST_F(BackPointers, ASublayerOutlivingItsSuperlayerHasNoSuperlayer)
{
    auto outline = CALayer::layer();
    {
        auto holder = CALayer::layer();
        holder->addSublayer(outline);
        EXPECT_EQ(outline->superlayer(), holder);
    }
    EXPECT_EQ(outline->superlayer(), nullptr);
    auto other = CALayer::layer();
    other->addSublayer(outline);
    outline->removeFromSuperlayer();
    EXPECT_EQ(outline->superlayer(), nullptr);
    EXPECT_TRUE(other->sublayers().empty());
}

TEST_F(BackPointers, ADestroyedWindowIsNoLongerKey)
{
    auto app = UIApplication::sharedApplication();
    {
        auto hidden = alloc<UIWindow>();
        hidden->makeKeyWindow();  // a window need not be shown to be key
        EXPECT_TRUE(hidden->isKeyWindow());
        EXPECT_FALSE(window->isKeyWindow());
    }
    EXPECT_EQ(app->keyWindow(), nullptr);
    EXPECT_FALSE(window->isKeyWindow());
    window->makeKeyWindow();
    EXPECT_EQ(app->keyWindow(), window);
}

TEST_F(BackPointers, AConstraintWhoseViewWentAwayDoesNothing)
{
    auto follower = root->add<UIView>(CGRectMake(5, 6, 10, 10));
    std::shared_ptr<NSLayoutConstraint> tie;
    std::shared_ptr<NSLayoutXAxisAnchor> edge;
    {
        auto leader = root->add<UIView>(CGRectMake(100, 100, 50, 50));
        edge = leader->trailingAnchor();
        tie = zr::leading(follower, edge, 0);
        root->layoutIfNeeded();
        EXPECT_EQ(follower->frame().origin.x, 150);
        EXPECT_EQ(tie->holder(), root.get());
        leader->removeFromSuperview();
    }
    EXPECT_FALSE(tie->isActive());
    EXPECT_EQ(tie->holder(), nullptr);
    EXPECT_EQ(tie->secondView(), nullptr);
    EXPECT_EQ(edge->view(), nullptr);
    EXPECT_EQ(edge->item(), nullptr);
    EXPECT_FALSE(follower->hasConstraintsOnItself());

    tie->setConstant(70);  // changes nothing on screen
    tie->setActive(true);  // cannot come back to life
    EXPECT_FALSE(tie->isActive());
    EXPECT_TRUE(root->constraints().empty());
    root->layoutIfNeeded();
    ExpectRect(follower->frame(), 150, 6, 10, 10);
    EXPECT_NE(tie->description().find("(no view)"), std::string::npos);
}

TEST_F(BackPointers, ARootViewWhoseControllerWentHasNone)
{
    std::shared_ptr<UIView> content;
    {
        auto owner = alloc<UIViewController>();
        content = owner->view();
        EXPECT_EQ(content->owningViewController(), owner);
        EXPECT_EQ(content->nextResponder(), owner);
    }
    EXPECT_EQ(content->owningViewController(), nullptr);
    root->addSubview(content);
    EXPECT_EQ(content->nextResponder(), root);
}

TEST_F(BackPointers, AControllerThatTakesAnotherViewLetsTheOldOneGo)
{
    auto first = controller->view();
    auto second = alloc<UIView>();
    controller->setView(second);
    EXPECT_EQ(first->owningViewController(), nullptr);
    EXPECT_EQ(second->owningViewController(), controller);
}

}  // namespace
