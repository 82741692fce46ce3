#include "platform/uikit/UICollectionViewCell.h"

MARQEL_DEFINE_CLASS(UICollectionViewCell,
    method<&UICollectionViewCell::isHighlighted>("isHighlighted"),
    method<&UICollectionViewCell::setHighlighted>("setHighlighted:"),
    method<&UICollectionViewCell::isSelected>("isSelected"),
    method<&UICollectionViewCell::setSelected>("setSelected:"),
    method<&UICollectionViewCell::prepareForReuse>("prepareForReuse"))

UICollectionViewCell::UICollectionViewCell(CGRect frame)
    : UIView(frame)
{
    m_contentView = alloc<UIView>(CGRectMake(0, 0, frame.size.width, frame.size.height));
    m_contentView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(m_contentView);
}

void UICollectionViewCell::prepareForReuse()
{
    m_highlighted = false;
    m_selected = false;
}
