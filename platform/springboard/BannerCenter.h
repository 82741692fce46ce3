#pragma once

// Notices as the user first sees them: each one the bulletin server
// publishes (or the dispatcher delivers) slides down as a banner at the top
// of the screen, above every window, with its app's icon and name, its
// title and its message (two lines at most). It stays for five seconds of
// the clock, then slides away; a tap performs its default action and
// closes it, an upward swipe closes it. Banners that arrive while one is
// shown wait their turn.

#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/SystemWindow.h"

#include <deque>
#include <memory>
#include <optional>

class BannerCenter {
public:
    static constexpr double showDuration = 5;
    static constexpr double slideDuration = 0.3;
    // Where a banner rests: below the status bar, inset from the sides.
    static constexpr CGFloat top = 50;
    static constexpr CGFloat inset = 8;

    static BannerCenter& shared();

    // Main thread.
    void present(const Notice& notice);
    // The banner on screen and its notice, or null while none is (one
    // sliding away no longer counts).
    std::shared_ptr<UIView> bannerView() const;
    std::optional<Notice> currentNotice() const;
    // Slides the banner away; the next waiting one follows.
    void dismiss();
    // The banner's default action, then dismiss.
    void tapped();
    const std::shared_ptr<SystemWindow>& window() const { return m_window; }

    // No banner, none waiting (a new SpringBoard).
    void reset();

private:
    BannerCenter() = default;
    void showNext();
    std::shared_ptr<UIView> build(const Notice& notice);

    std::shared_ptr<SystemWindow> m_window;
    std::deque<Notice> m_waiting;
    std::optional<Notice> m_notice;
    std::shared_ptr<UIView> m_banner;
    std::uint64_t m_generation = 0;
};
