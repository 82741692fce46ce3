#pragma once

#include "common/CropBoxView.h"

// The settings bundle's own crop box, on which the user places the default
// rectangle: the overlay's box in every respect but two. It shows its size
// read-out before telling its controller that a touch began, and nothing
// resizes it from outside, so it has no outline refit of its own to offer.
class DefaultResizableBox : public CropBoxView {
    MARQEL_OBJECT(DefaultResizableBox, UIView)
public:
    DefaultResizableBox();

    std::shared_ptr<DefaultResizableBox> initWithFrame(CGRect frame);
};
