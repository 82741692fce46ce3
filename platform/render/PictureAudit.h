#pragma once

// Checks a picture of the screen the way a careful reader would look at it,
// from the layer tree that was drawn and the pixels that came out:
//
// - a text cut off (its glyphs leave its bounds) or given no room, unless
//   its line-break mode truncates it with an ellipsis;
// - a text drawn over another text;
// - a text that does not stand out from what is behind it: by the WCAG
//   contrast ratio, below 3:1 for any text, below 4.5:1 for a message (body
//   text that may run to several lines and is not large: under 18 points,
//   or 14 points bold);
// - a view drawn past the edge of the screen (what an ancestor clips, a
//   scroll view's content say, does not count).
//
// The colours behind a text are read from the screen drawn once more with
// every text left out; the text's own colour as it is seen (under a dimming
// layer, say) from the picture itself. Main thread only.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/Forward.h"
#include "platform/uikit/Forward.h"

#include <string>
#include <vector>

namespace render {

class PictureAudit {
public:
    enum class Problem {
        Cut,
        Overlap,
        Contrast,
        OffScreen,
    };
    struct Finding {
        Problem problem = Problem::Cut;
        std::string viewClass;  // the layer's class when it backs no view
        std::string text;  // empty for a view without text
        std::string detail;  // what is wrong, with the measured figures
        // `UILabel "Enabled": contrast 2.1:1, needs 4.5:1`.
        std::string description() const;
    };

    static constexpr double textContrast = 3.0;
    static constexpr double messageContrast = 4.5;

    // The screen as it is now: every shown window, as the compositor draws
    // them.
    static std::vector<Finding> auditScreen();
    // One layer tree as the only thing on the main screen.
    static std::vector<Finding> auditLayerTree(const CALayer& root);

    // One line per finding, each starting with the picture's name.
    static std::string report(const std::string& pictureName, const std::vector<Finding>& findings);
};

// The WCAG relative luminance of an sRGB colour (its alpha is ignored), and
// the contrast ratio of two colours, 1 to 21.
double relativeLuminance(const RGBA& colour);
double contrastRatio(const RGBA& first, const RGBA& second);

}  // namespace render
