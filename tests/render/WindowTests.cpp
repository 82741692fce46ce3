// The desktop window, headless: SDL's dummy video driver stands in for a
// display, and events are put on SDL's queue as a person's mouse and
// keyboard would.

#include "RenderTestSupport.h"

#include "platform/render/Window.h"

#include <SDL.h>

namespace {

class TouchLog : public UIView {
    MARQEL_OBJECT(TouchLog, UIView)
public:
    using UIView::UIView;
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override
    {
        phases.push_back("began");
        where = touches.anyObject()->locationInView(this);
    }
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override
    {
        phases.push_back("moved");
        where = touches.anyObject()->locationInView(this);
    }
    void touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { phases.push_back("ended"); }
    void touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { phases.push_back("cancelled"); }

    std::vector<std::string> phases;
    CGPoint where {};
};

}  // namespace

MARQEL_DEFINE_CLASS(TouchLog)

namespace {

class WindowTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        auto opened = render::Window::open({ 0.25, "test" });
        ASSERT_TRUE(opened) << opened.message();
        shown = opened.release();
    }
    void TearDown() override
    {
        shown.reset();
        RenderTest::TearDown();
    }

    void mouse(Uint32 type, int x, int y)
    {
        SDL_Event event {};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.x = x;
            event.motion.y = y;
            event.motion.state = SDL_BUTTON_LMASK;
        } else {
            event.button.button = SDL_BUTTON_LEFT;
            event.button.x = x;
            event.button.y = y;
        }
        SDL_PushEvent(&event);
    }

    std::unique_ptr<render::Window> shown;
};

TEST_F(WindowTest, OpensAtTheZoomedScreenSize)
{
    EXPECT_EQ(shown->width(), 293);  // 1170 / 4, rounded
    EXPECT_EQ(shown->height(), 633);
    auto w = window(UIWindowLevelNormal, rgb(1, 0, 0));
    shown->present();
    shown->present();
    EXPECT_EQ(shown->framesPresented(), 2u);
    CGPoint p = shown->screenPointForWindowPosition(75, 150);
    EXPECT_DOUBLE_EQ(p.x, 100);
    EXPECT_DOUBLE_EQ(p.y, 200);
}

TEST_F(WindowTest, RefusesAZoomThatIsNotASize)
{
    auto none = render::Window::open({ 0, "x" });
    EXPECT_FALSE(none);
    EXPECT_EQ(none.code(), foundation::ErrorCode::InvalidArgument);
    EXPECT_FALSE(none.message().empty());
    EXPECT_FALSE(render::Window::open({ NAN, "x" }));
}

TEST_F(WindowTest, TheMouseIsOneFinger)
{
    auto w = window();
    auto target = alloc<TouchLog>(CGRectMake(100, 100, 100, 100));
    w->addSubview(target);
    mouse(SDL_MOUSEMOTION, 10, 10);  // no button: no finger
    mouse(SDL_MOUSEBUTTONDOWN, 90, 90);  // (120, 120) on the screen
    mouse(SDL_MOUSEMOTION, 105, 90);
    mouse(SDL_MOUSEBUTTONUP, 105, 90);
    EXPECT_TRUE(shown->processEvents());
    EXPECT_EQ(target->phases, (std::vector<std::string> { "began", "moved", "ended" }));
    EXPECT_NEAR(target->where.x, 40, 1e-9);
    EXPECT_NEAR(target->where.y, 20, 1e-9);
    EXPECT_FALSE(shown->isFingerDown());
}

TEST_F(WindowTest, LosingFocusWithTheButtonDownCancelsTheTouch)
{
    auto w = window();
    auto target = alloc<TouchLog>(CGRectMake(0, 0, 390, 844));
    w->addSubview(target);
    mouse(SDL_MOUSEBUTTONDOWN, 50, 50);
    SDL_Event focus {};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);
    mouse(SDL_MOUSEMOTION, 60, 60);
    shown->processEvents();
    EXPECT_EQ(target->phases, (std::vector<std::string> { "began", "cancelled" }));
}

TEST_F(WindowTest, KeysGoToTheHandlerAndQuitCloses)
{
    std::vector<std::string> keys;
    shown->setKeyHandler([&](const render::Window::KeyPress& key) { keys.push_back(key.name); });
    SDL_Event key {};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_q;
    SDL_PushEvent(&key);
    key.key.repeat = 1;  // held down: not a new press
    SDL_PushEvent(&key);
    EXPECT_TRUE(shown->processEvents());
    EXPECT_EQ(keys, std::vector<std::string> { "Q" });
    SDL_Event quit {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(shown->processEvents());
    EXPECT_TRUE(shown->isClosed());
}

TEST_F(WindowTest, TypingGoesToTheTappedFieldAndNoLetterIsAShortcut)
{
    auto w = window();
    auto field = alloc<UITextField>(CGRectMake(100, 100, 200, 30));
    w->addSubview(field);
    std::vector<std::string> shortcuts;
    shown->setKeyHandler([&](const render::Window::KeyPress& key) { shortcuts.push_back(key.name); });
    auto press = [](SDL_Keycode sym, SDL_Scancode code, const char* text) {
        SDL_Event key {};
        key.type = SDL_KEYDOWN;
        key.key.keysym.sym = sym;
        key.key.keysym.scancode = code;
        SDL_PushEvent(&key);
        if (text) {
            SDL_Event typed {};
            typed.type = SDL_TEXTINPUT;
            std::snprintf(typed.text.text, sizeof typed.text.text, "%s", text);
            SDL_PushEvent(&typed);
        }
    };
    press(SDLK_i, SDL_SCANCODE_I, "i");  // nothing edited: a shortcut, typing nothing
    mouse(SDL_MOUSEBUTTONDOWN, 150, 85);  // (200, 113) on the screen: the field
    mouse(SDL_MOUSEBUTTONUP, 150, 85);
    press(SDLK_i, SDL_SCANCODE_I, "I");
    press(SDLK_s, SDL_SCANCODE_S, "s");
    press(SDLK_c, SDL_SCANCODE_C, "\xC3\xA9");  // what an input method made of it
    press(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, nullptr);
    press(SDLK_q, SDL_SCANCODE_Q, "q");
    press(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, nullptr);
    EXPECT_TRUE(shown->processEvents());
    EXPECT_EQ(field->text(), "Isq");
    EXPECT_EQ(shortcuts, std::vector<std::string> { "I" }) << "only the key pressed before the tap";
}

}  // namespace
