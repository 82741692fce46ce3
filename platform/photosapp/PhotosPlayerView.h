#pragma once

// The movie player shown over the grid: the movie's pictures fitted to the
// screen on black, played at the movie's own rate from the run loop's
// clock (so a virtual clock drives it exactly), a scrubber whose thumb
// follows playback and seeks when dragged, play/pause, and a close button.
// Sound is not played. At the end the last picture stays and playback
// stops; play then starts again from the beginning.

#include "platform/foundation/Result.h"
#include "platform/photosapp/Forward.h"
#include "platform/render/ScreenFrame.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <memory>

class PhotosPlayerView : public UIView {
    MARQEL_OBJECT(PhotosPlayerView, UIView)
public:
    static constexpr const char* closeSymbol = "xmark";
    static constexpr const char* playSymbol = "play.fill";
    static constexpr const char* pauseSymbol = "pause.fill";

    explicit PhotosPlayerView(CGRect frame);
    ~PhotosPlayerView() override;

    // Opens the movie at a host path and shows its first picture, paused.
    [[nodiscard]] foundation::Status open(const std::string& hostPath);
    void setCloseHandler(std::function<void()> handler) { m_onClose = std::move(handler); }

    void play();
    void pause();
    bool isPlaying() const { return m_playing; }
    // Shows the picture at `seconds` (clamped to the movie); playback, if
    // running, goes on from there.
    void seek(double seconds);
    // Where playback stands, in seconds from the start.
    double position() const;
    double duration() const;
    std::shared_ptr<const ScreenFrame> currentPicture() const { return m_shownPicture; }

    const std::shared_ptr<UIView>& pictureView() const { return m_picture; }
    const std::shared_ptr<UISlider>& scrubber() const { return m_scrubber; }
    const std::shared_ptr<UIButton>& playButton() const { return m_playButton; }
    const std::shared_ptr<UIButton>& closeButton() const { return m_closeButton; }

    // Actions of its own controls.
    void togglePlayback();
    void close();
    void scrubberTouchDown();
    void scrubberChanged();
    void scrubberReleased();

    void layoutSubviews() override;

private:
    void show(double seconds);
    void scheduleTick();
    void tick(std::uint64_t generation);
    void updateControls();

    std::unique_ptr<photosapp::MovieFrames> m_frames;
    std::shared_ptr<UIView> m_picture;
    std::shared_ptr<UIButton> m_closeButton;
    std::shared_ptr<UIButton> m_playButton;
    std::shared_ptr<UISlider> m_scrubber;
    std::shared_ptr<UILabel> m_elapsed;
    std::shared_ptr<UILabel> m_remaining;
    std::shared_ptr<const ScreenFrame> m_shownPicture;
    double m_shownSeconds = 0;
    std::function<void()> m_onClose;

    bool m_playing = false;
    bool m_resumeAfterScrub = false;
    double m_position = 0;  // while paused; while playing, where the clock started from
    double m_startClock = 0;
    std::uint64_t m_tickIndex = 0;
    std::uint64_t m_generation = 0;
};
