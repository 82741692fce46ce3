#pragma once

// ZorvelinKit's colours: the settings screens' enabled and disabled looks,
// the page and card backgrounds, the accent that tints, and colours from the six-digit hexadecimal
// strings the preferences store.

#include "platform/uikit/UIColor.h"

#include <memory>
#include <string_view>

namespace zr {

std::shared_ptr<UIColor> enabledColour();
std::shared_ptr<UIColor> enabledShadowColour();
std::shared_ptr<UIColor> enabledBorderColour();
std::shared_ptr<UIColor> disabledColour();
std::shared_ptr<UIColor> disabledShadowColour();
std::shared_ptr<UIColor> disabledBorderColour();
// The page background behind a screen's content.
std::shared_ptr<UIColor> primaryColour();
// A card lying on primaryColour.
std::shared_ptr<UIColor> secondaryColour();
// The tint of links, icons and the cover where no picture is given.
std::shared_ptr<UIColor> accentColour();

// An opaque colour from colour text as zr::colourText accepts it. Null for
// anything else: wrong length, a non-hex digit, a sign or spaces.
std::shared_ptr<UIColor> colourFromHex(std::string_view hex);

}  // namespace zr
