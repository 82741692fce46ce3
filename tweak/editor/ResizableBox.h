#pragma once

#include "common/CropBoxView.h"

// The crop rectangle on the overlay: a stroked outline, twelve handle bars,
// a size read-out, and the raw touch handling that moves it or resizes it
// from one of eight edge and corner regions (all shared with the settings
// bundle's twin). It tells its controller of a touch before showing the
// read-out, and offers the outline refit to a controller that sets its frame.
class ResizableBox : public CropBoxView {
    MARQEL_OBJECT(ResizableBox, UIView)
public:
    ResizableBox();

    std::shared_ptr<ResizableBox> initWithFrame(CGRect frame);
    void updateDashFrame();
};
