#pragma once

// ZorvelinKit's colours: the settings screens' enabled and disabled looks,
// the accent and card colours, and colours from the six-digit hexadecimal
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
std::shared_ptr<UIColor> primaryColour();
std::shared_ptr<UIColor> secondaryColour();

// An opaque colour from colour text as zr::colourText accepts it. Null for
// anything else: wrong length, a non-hex digit, a sign or spaces.
std::shared_ptr<UIColor> colourFromHex(std::string_view hex);

}  // namespace zr
