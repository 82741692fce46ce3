#include "kit/UIColor+ZRColours.h"
#include "kit/ZRPrefsManager.h"

std::shared_ptr<UIColor> ZRPrefsManager::colourForKey(const std::string& key, const std::string& defaultColour, const std::string& ID) const
{
    if (auto colour = zr::colourFromHex(colourHexForKey(key, defaultColour, ID)))
        return colour;
    // A malformed default still gives a colour: white, the kit's default.
    return UIColor::whiteColor();
}
