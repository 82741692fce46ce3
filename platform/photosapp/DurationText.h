#pragma once

#include <string>

namespace photosapp {

// A movie's length as the grid writes it in a cell's corner: "0:07",
// "12:30", "1:02:03", rounded to the nearest second. Anything not a
// length (negative, not a number) reads "0:00".
std::string durationText(double seconds);

}  // namespace photosapp
