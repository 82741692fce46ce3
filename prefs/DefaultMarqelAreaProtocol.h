#pragma once

// What the default-area box tells its controller, in this order during a
// drag: "beginResizeArea", then "resizeAreaFrameChanged" for every move,
// then "didFinishedResizeArea". Sent by selector; the controller registers
// them.
namespace DefaultMarqelAreaProtocol {
inline constexpr const char* beginResizeArea = "beginResizeArea";
inline constexpr const char* resizeAreaFrameChanged = "resizeAreaFrameChanged";
inline constexpr const char* didFinishedResizeArea = "didFinishedResizeArea";
}  // namespace DefaultMarqelAreaProtocol
