#pragma once

// One item of a collection view. Its content view fills it; subclasses put
// their views there (or on the cell itself). The collection view sets the
// highlight while a finger is on the item and the selection once it is
// chosen, and calls prepareForReuse before handing a used cell out again.

#include "platform/uikit/UIView.h"

#include <string>

class UICollectionViewCell : public UIView {
    MARQEL_OBJECT(UICollectionViewCell, UIView)
public:
    UICollectionViewCell()
        : UICollectionViewCell(CGRectZero)
    {
    }
    explicit UICollectionViewCell(CGRect frame);

    const std::shared_ptr<UIView>& contentView() const { return m_contentView; }
    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(const std::string& identifier) { m_reuseIdentifier = identifier; }

    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted) { m_highlighted = highlighted; }
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected) { m_selected = selected; }

    // Clears the highlight and selection; subclasses also empty what they
    // show, so the cell shows nothing of its last item.
    virtual void prepareForReuse();

private:
    std::shared_ptr<UIView> m_contentView;
    std::string m_reuseIdentifier;
    bool m_highlighted = false;
    bool m_selected = false;
};
