#pragma once

// Our drawings of the system symbols the screens name: vector outlines in
// Cairo, filled in one colour, so a symbol image shows in its view's tint
// at any size.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/Surface.h"

#include <string>
#include <vector>

namespace render::symbols {

// Every name of the catalog, "<a-z or 0-9>.square.fill" included.
bool has(const std::string& name);
// The drawing's width over its height.
double aspectRatio(const std::string& name);
// The names of the fixed drawings (not the 36 lettered squares).
std::vector<std::string> fixedNames();

// Draws the symbol as large as fits in `rect` (user space of `cr`), centred,
// in `colour`.
// Returns false, drawing nothing, for a name the catalog lacks.
bool draw(cairo_t* cr, const std::string& name, CGRect rect, RGBA colour);

}  // namespace render::symbols
