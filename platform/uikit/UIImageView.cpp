#include "platform/uikit/UIImageView.h"

#include "platform/uikit/UIImage.h"

MARQEL_DEFINE_CLASS(UIImageView,
    method<&UIImageView::image>("image"),
    method<&UIImageView::setImage>("setImage:"))

UIImageView::UIImageView(CGRect frame)
    : UIView(frame)
{
    setUserInteractionEnabled(false);
}

UIImageView::UIImageView(std::shared_ptr<UIImage> image)
    : UIImageView(image ? CGRect { CGPointZero, image->size() } : CGRectZero)
{
    m_image = std::move(image);
}

CGSize UIImageView::sizeThatFits(CGSize) const
{
    return m_image ? m_image->size() : CGSizeZero;
}

LayerContent UIImageView::layerContent() const
{
    return ImageContent { m_image, contentMode(), tintColor() };
}
