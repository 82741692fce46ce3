#pragma once

// Shows an image; symbol images are drawn in the view's tint colour. Like
// UIKit's, an image view ignores touches unless told otherwise.

#include "platform/uikit/LayerContentSource.h"
#include "platform/uikit/UIView.h"

class UIImageView : public UIView, public LayerContentSource {
    MARQEL_OBJECT(UIImageView, UIView)
public:
    UIImageView()
        : UIImageView(CGRectZero)
    {
    }
    explicit UIImageView(CGRect frame);
    // Sized to the image, as initWithImage: does.
    explicit UIImageView(std::shared_ptr<UIImage> image);

    const std::shared_ptr<UIImage>& image() const { return m_image; }
    void setImage(std::shared_ptr<UIImage> image) { m_image = std::move(image); }
    CGSize sizeThatFits(CGSize size) const override;
    LayerContent layerContent() const override;

private:
    std::shared_ptr<UIImage> m_image;
};
