#pragma once

// What the crop box tells its controller, in this order during a drag:
// "beginResizeArea", then "resizeAreaFrameChanged" for every move, then
// "didFinishedResizeArea". Sent by selector; the controller registers them.
namespace MarqelAreaProtocol {
inline constexpr const char* beginResizeArea = "beginResizeArea";
inline constexpr const char* resizeAreaFrameChanged = "resizeAreaFrameChanged";
inline constexpr const char* didFinishedResizeArea = "didFinishedResizeArea";
}  // namespace MarqelAreaProtocol
