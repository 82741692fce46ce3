#pragma once

// One square of the grid: the video's first frame filling the cell and its
// length in the bottom-right corner over a soft shade, as the phone draws
// it. A movie that cannot be read shows a grey square with a camera.

#include "platform/render/ScreenFrame.h"
#include "platform/uikit/UICollectionViewCell.h"

class PhotosVideoCell : public UICollectionViewCell {
    MARQEL_OBJECT(PhotosVideoCell, UICollectionViewCell)
public:
    static constexpr const char* reuseIdentifier = "Video";
    static constexpr const char* placeholderSymbol = "video.fill";

    explicit PhotosVideoCell(CGRect frame);

    // A null picture shows the placeholder.
    void configure(std::shared_ptr<const ScreenFrame> picture, const std::string& duration);
    const std::shared_ptr<UILabel>& durationLabel() const { return m_duration; }
    const std::shared_ptr<UIView>& pictureView() const { return m_picture; }
    bool showsPlaceholder() const;

    void layoutSubviews() override;
    void prepareForReuse() override;

private:
    std::shared_ptr<UIView> m_picture;
    std::shared_ptr<UIImageView> m_placeholder;
    std::shared_ptr<UIView> m_scrim;
    std::shared_ptr<UILabel> m_duration;
};
