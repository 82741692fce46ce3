#pragma once

// A view that draws something of its own describes it to its layer through
// this; the layer asks at drawing time, so the description always follows
// the view's state (text, tint inherited from above, colours of the moment).

#include "platform/uikit/LayerContent.h"

class LayerContentSource {
public:
    virtual LayerContent layerContent() const = 0;

protected:
    ~LayerContentSource() = default;
};
