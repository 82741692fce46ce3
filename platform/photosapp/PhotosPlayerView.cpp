#include "platform/photosapp/PhotosPlayerView.h"

#include "platform/foundation/Foundation.h"
#include "platform/photosapp/DurationText.h"
#include "platform/photosapp/MovieFrames.h"
#include "platform/photosapp/PictureGeometry.h"
#include "platform/uikit/UIKit.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(PhotosPlayerView,
    method<&PhotosPlayerView::togglePlayback>("togglePlayback"),
    method<&PhotosPlayerView::close>("close"),
    method<&PhotosPlayerView::scrubberTouchDown>("scrubberTouchDown"),
    method<&PhotosPlayerView::scrubberChanged>("scrubberChanged"),
    method<&PhotosPlayerView::scrubberReleased>("scrubberReleased"))

namespace {
constexpr CGFloat topInset = 47;  // below the status bar
constexpr CGFloat bottomInset = 34;  // above the home indicator
constexpr CGFloat buttonSide = 44;
constexpr CGFloat margin = 16;
constexpr CGFloat labelWidth = 56;
}  // namespace

PhotosPlayerView::PhotosPlayerView(CGRect frame)
    : UIView(frame)
{
    setBackgroundColor(UIColor::blackColor());
    m_picture = alloc<UIView>(CGRectZero);
    m_picture->setUserInteractionEnabled(false);
    addSubview(m_picture);

    m_closeButton = UIButton::buttonWithType(UIButtonTypeSystem);
    m_closeButton->setImage(UIImage::systemImageNamed(closeSymbol), UIControlStateNormal);
    m_closeButton->setTintColor(UIColor::whiteColor());
    m_closeButton->addTarget(id {}, "close", UIControlEventTouchUpInside);
    addSubview(m_closeButton);

    m_playButton = UIButton::buttonWithType(UIButtonTypeSystem);
    m_playButton->setTintColor(UIColor::whiteColor());
    m_playButton->addTarget(id {}, "togglePlayback", UIControlEventTouchUpInside);
    addSubview(m_playButton);

    m_scrubber = alloc<UISlider>(CGRectZero);
    m_scrubber->setMinimumTrackTintColor(UIColor::whiteColor());
    m_scrubber->addTarget(id {}, "scrubberTouchDown", UIControlEventTouchDown);
    m_scrubber->addTarget(id {}, "scrubberChanged", UIControlEventValueChanged);
    m_scrubber->addTarget(id {}, "scrubberReleased", UIControlEventTouchUpInside | UIControlEventTouchUpOutside | UIControlEventTouchCancel);
    addSubview(m_scrubber);

    for (auto* label : { &m_elapsed, &m_remaining }) {
        *label = alloc<UILabel>(CGRectZero);
        (*label)->setFont(UIFont::systemFontOfSize(13, UIFontWeightSemibold));
        (*label)->setTextColor(UIColor::colorWithWhite(1, 0.8));
        addSubview(*label);
    }
    m_elapsed->setTextAlignment(NSTextAlignmentLeft);
    m_remaining->setTextAlignment(NSTextAlignmentRight);
    updateControls();
}

PhotosPlayerView::~PhotosPlayerView() = default;

foundation::Status PhotosPlayerView::open(const std::string& hostPath)
{
    pause();
    CGSize screen = UIScreen::mainScreen()->bounds().size;
    const CGFloat longest = std::max(screen.width, screen.height) * UIScreen::mainScreen()->scale();
    // Never more pixels than the screen can show.
    m_frames = TRY(photosapp::MovieFrames::open(hostPath, [longest](const av::MovieInfo& info) {
        return photosapp::cappedPixelSize(photosapp::MovieFrames::uprightSize(info), longest);
    }));
    m_position = 0;
    m_scrubber->setMaximumValue(static_cast<float>(duration()));
    show(0);
    if (!m_shownPicture)
        return foundation::Error { foundation::ErrorCode::CodecFailed, "no picture of " + hostPath + " could be decoded" };
    setNeedsLayout();
    return {};
}

double PhotosPlayerView::duration() const { return m_frames ? m_frames->duration() : 0; }

double PhotosPlayerView::position() const
{
    if (!m_playing)
        return m_position;
    return std::min(duration(), m_position + (RunLoop::main().now() - m_startClock));
}

void PhotosPlayerView::show(double seconds)
{
    if (!m_frames)
        return;
    auto frame = m_frames->frameAt(seconds);
    if (!frame) {
        NSLog("Photos: cannot show the movie at %@ s: %@", std::to_string(seconds), frame.message());
        return;
    }
    m_shownSeconds = frame.value().seconds;
    if (frame.value().picture != m_shownPicture) {
        m_shownPicture = frame.value().picture;
        m_picture->layer()->setContent(PictureContent { m_shownPicture });
    }
}

void PhotosPlayerView::play()
{
    if (!m_frames || m_playing)
        return;
    if (m_position >= duration() - 1e-9) {
        m_position = 0;
        show(0);
    }
    m_playing = true;
    m_startClock = RunLoop::main().now();
    m_tickIndex = 0;
    ++m_generation;
    scheduleTick();
    updateControls();
}

void PhotosPlayerView::pause()
{
    if (m_playing)
        m_position = position();
    m_playing = false;
    ++m_generation;
    updateControls();
}

void PhotosPlayerView::seek(double seconds)
{
    if (!m_frames)
        return;
    const bool playing = m_playing;
    if (playing)
        pause();
    m_position = std::clamp(std::isfinite(seconds) ? seconds : 0.0, 0.0, duration());
    show(m_position);
    if (playing && m_position < duration())
        play();
    updateControls();
}

void PhotosPlayerView::scheduleTick()
{
    // Due times are whole multiples of the frame interval from the start, so
    // no rounding builds up over a long movie.
    ++m_tickIndex;
    const double due = m_startClock + static_cast<double>(m_tickIndex) * m_frames->frameInterval();
    std::weak_ptr<PhotosPlayerView> weakSelf = retained<PhotosPlayerView>();
    const std::uint64_t generation = m_generation;
    RunLoop::main().schedule(due, [weakSelf, generation] {
        if (auto self = weakSelf.lock())
            self->tick(generation);
    });
}

void PhotosPlayerView::tick(std::uint64_t generation)
{
    if (!m_playing || generation != m_generation)
        return;
    const double at = position();
    show(at);
    // A movie cut short ends when its last good picture has had its time.
    const bool cutShort = m_frames->atEnd() && at >= m_shownSeconds + m_frames->frameInterval();
    if (at >= duration() || cutShort) {
        // Stops on the last picture, as the phone's player does.
        m_playing = false;
        m_position = std::min(at, duration());
        ++m_generation;
    } else {
        scheduleTick();
    }
    updateControls();
}

void PhotosPlayerView::updateControls()
{
    m_playButton->setImage(UIImage::systemImageNamed(m_playing ? pauseSymbol : playSymbol), UIControlStateNormal);
    const double at = position();
    if (!m_scrubber->isTracking())
        m_scrubber->setValue(static_cast<float>(at));
    m_elapsed->setText(photosapp::durationText(at));
    m_remaining->setText("-" + photosapp::durationText(std::max(0.0, duration() - at)));
}

void PhotosPlayerView::togglePlayback()
{
    if (m_playing)
        pause();
    else
        play();
}

void PhotosPlayerView::close()
{
    pause();
    if (m_onClose)
        m_onClose();
}

void PhotosPlayerView::scrubberTouchDown()
{
    // Playback holds while the finger is on the scrubber, as on the phone.
    m_resumeAfterScrub = m_playing;
    pause();
}

void PhotosPlayerView::scrubberChanged()
{
    seek(m_scrubber->value());
}

void PhotosPlayerView::scrubberReleased()
{
    seek(m_scrubber->value());
    if (m_resumeAfterScrub)
        play();
    m_resumeAfterScrub = false;
}

void PhotosPlayerView::layoutSubviews()
{
    CGRect b = bounds();
    m_closeButton->setFrame(CGRectMake(b.origin.x + margin / 2, b.origin.y + topInset, buttonSide, buttonSide));
    const CGFloat controlsY = b.origin.y + b.size.height - bottomInset - buttonSide;
    m_playButton->setFrame(CGRectMake(b.origin.x + margin / 2, controlsY, buttonSide, buttonSide));
    const CGFloat scrubberX = b.origin.x + margin / 2 + buttonSide + margin / 2 + labelWidth;
    const CGFloat scrubberWidth = std::max<CGFloat>(0, b.size.width - scrubberX - labelWidth - margin);
    m_scrubber->setFrame(CGRectMake(scrubberX, controlsY + (buttonSide - UISlider::defaultHeight) / 2, scrubberWidth, UISlider::defaultHeight));
    m_elapsed->setFrame(CGRectMake(scrubberX - labelWidth, controlsY, labelWidth - 6, buttonSide));
    m_remaining->setFrame(CGRectMake(scrubberX + scrubberWidth + 6, controlsY, labelWidth - 6, buttonSide));
    const CGFloat top = b.origin.y + topInset + buttonSide;
    CGRect area = CGRectMake(b.origin.x, top, b.size.width, std::max<CGFloat>(0, controlsY - top));
    if (m_frames)
        m_picture->setFrame(photosapp::aspectFit(photosapp::MovieFrames::uprightSize(m_frames->info()), area));
}
