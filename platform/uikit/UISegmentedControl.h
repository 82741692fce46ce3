#pragma once

// A row of segments of which one is chosen. A tap that ends on a segment
// chooses it and, when that changes the choice, sends value-changed;
// choosing in code sends nothing, as in UIKit. The titles are labels inside
// the control (they let touches through to it), so a segment can be found
// on screen by its title.

#include "platform/uikit/UIControl.h"

#include <string>
#include <vector>

class UISegmentedControl : public UIControl {
    MARQEL_OBJECT(UISegmentedControl, UIControl)
public:
    static constexpr std::int64_t noSegment = -1;  // UISegmentedControlNoSegment
    static constexpr CGFloat defaultHeight = 32;

    UISegmentedControl()
        : UISegmentedControl(std::vector<std::string> {})
    {
    }
    // initWithItems:
    explicit UISegmentedControl(std::vector<std::string> items);

    std::int64_t numberOfSegments() const { return static_cast<std::int64_t>(m_titles.size()); }
    // "" outside the segments.
    std::string titleForSegmentAtIndex(std::int64_t index) const;
    void setTitle(const std::string& title, std::int64_t index);
    std::int64_t selectedSegmentIndex() const { return m_selected; }
    // An index outside the segments chooses none.
    void setSelectedSegmentIndex(std::int64_t index);
    const std::shared_ptr<UIColor>& selectedSegmentTintColor() const { return m_selectedTint; }
    void setSelectedSegmentTintColor(std::shared_ptr<UIColor> color);
    // The label showing a segment's title, for drivers and tests.
    std::shared_ptr<UILabel> labelForSegmentAtIndex(std::int64_t index) const;
    // The segment under a point in the control's coordinates, or noSegment.
    std::int64_t segmentAtPoint(CGPoint point) const;

    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void layoutSubviews() override;
    CGSize sizeThatFits(CGSize size) const override;

private:
    void refresh();

    std::vector<std::string> m_titles;
    std::vector<std::shared_ptr<UILabel>> m_labels;
    std::shared_ptr<UIView> m_thumb;
    std::shared_ptr<UIColor> m_selectedTint;
    std::int64_t m_selected = noSegment;
};
