#pragma once

#include "platform/uikit/UICollectionViewCell.h"

// One row of the saved-area browser: a rounded card with a tinted square
// holding the name's letter symbol, the name above and the rectangle as
// text below. The browser fills it; the cell only builds and empties it.
class SavedAreaCell : public UICollectionViewCell {
    MARQEL_OBJECT(SavedAreaCell, UICollectionViewCell)
public:
    static constexpr CGFloat cornerRadius = 12;
    static constexpr CGFloat squareSize = 45;
    static constexpr CGFloat iconSize = 35;
    static constexpr CGFloat spacing = 10;

    SavedAreaCell() = default;
    // Builds the card and its parts; they are placed with the kit's layout
    // operations, which need the finished object.
    std::shared_ptr<SavedAreaCell> initWithFrame(CGRect frame);

    void prepareForReuse() override;
    // The press feedback is the browser's animation; the cell itself never
    // takes a highlight colour.
    void setHighlighted(bool highlighted) override;

    std::shared_ptr<UIView> baseView() const { return m_baseView; }
    std::shared_ptr<UIView> colourView() const { return m_colourView; }
    std::shared_ptr<UIImageView> icon() const { return m_icon; }
    std::shared_ptr<UILabel> nameLabel() const { return m_nameLabel; }
    std::shared_ptr<UILabel> frameLabel() const { return m_frameLabel; }

private:
    std::shared_ptr<UIView> m_baseView;
    std::shared_ptr<UIView> m_colourView;
    std::shared_ptr<UIImageView> m_icon;
    std::shared_ptr<UILabel> m_nameLabel;
    std::shared_ptr<UILabel> m_frameLabel;
};
