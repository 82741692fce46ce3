#pragma once

// The crop box's arithmetic, without views: which region a touch grabbed,
// and the frame a move or a resize gives. The box on the overlay and its
// twin in the settings bundle both call these.
//
// The arithmetic runs in single precision exactly where the box always
// has: the region limits, and every coordinate of a move or resize event.

#include "platform/foundation/CGGeometry.h"

#include <cstdint>
#include <string>

namespace BoxGeometry {

// Numbered anticlockwise from the top-left corner; 8 moves the whole box.
// The numbers are the box's 32-bit region codes.
enum class Region : std::int32_t {
    TopLeft = 0,
    Left = 1,
    BottomLeft = 2,
    Bottom = 3,
    BottomRight = 4,
    Right = 5,
    TopRight = 6,
    Top = 7,
    Move = 8,
};

inline constexpr double bandWidth = 60;
inline constexpr float minimumSide = 150;

// The region of a touch at `p` (box coordinates) in a box of `size`.
// Strict comparisons: a point exactly on a limit moves the box.
Region regionAt(CGPoint p, CGSize size);

struct TouchStart {
    CGPoint inBox;  // m_startTL
    CGPoint inParent;  // m_startParentTL
    CGRect frame;  // m_startFrame
};

struct TouchNow {
    CGPoint inBox;  // m_currentTL: measured in the box as it stood before this event
    CGPoint inParent;  // m_currentParentTL
};

// The frame after one move event. `current` is the box's frame before the
// event, `parent` the parent view's size.
CGRect frameAfterMove(Region region, const TouchStart& start, const TouchNow& now, CGRect current, CGSize parent);

// "W:%.f H:%.f"
std::string readout(CGSize size);

}  // namespace BoxGeometry
