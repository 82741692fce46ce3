#pragma once

// Where the crop box's twelve handle bars sit, in the order they are added:
// clockwise from the top-left corner's upright arm, ending with the left
// edge mark. Every bar straddles the outline, 2.5 points outside and 2.5
// inside, and is tied to the box's edges so it follows the box's size.

#include "platform/foundation/CGGeometry.h"

#include <array>

namespace BoxHandles {

enum class Across { Leading,
    Centre,
    Trailing };
enum class Down { Top,
    Centre,
    Bottom };

struct Handle {
    CGFloat width, height;
    Across across;
    Down down;
};

// How far a bar reaches past the outline.
inline constexpr CGFloat overhang = 2.5;
inline constexpr CGFloat cornerRadius = 2;

inline constexpr std::array<Handle, 12> table { {
    { 5, 25, Across::Leading, Down::Top },
    { 25, 5, Across::Leading, Down::Top },
    { 25, 5, Across::Centre, Down::Top },
    { 25, 5, Across::Trailing, Down::Top },
    { 5, 25, Across::Trailing, Down::Top },
    { 5, 25, Across::Trailing, Down::Centre },
    { 25, 5, Across::Trailing, Down::Bottom },
    { 5, 25, Across::Trailing, Down::Bottom },
    { 25, 5, Across::Centre, Down::Bottom },
    { 25, 5, Across::Leading, Down::Bottom },
    { 5, 25, Across::Leading, Down::Bottom },
    { 5, 25, Across::Leading, Down::Centre },
} };

}  // namespace BoxHandles
