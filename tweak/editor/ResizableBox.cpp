#include "tweak/editor/ResizableBox.h"

#include "tweak/editor/MarqelAreaProtocol.h"

MARQEL_DEFINE_CLASS_LAZY(ResizableBox,
    method<&ResizableBox::initWithFrame>("initWithFrame:"),
    method<&ResizableBox::updateDashFrame>("updateDashFrame"),
    method<&ResizableBox::rectLabel>("rectLabel"),
    method<&ResizableBox::dashBorder>("dashBorder"),
    method<&ResizableBox::delegate>("delegate"),
    method<&ResizableBox::setDelegate>("setDelegate:"),
    method<&ResizableBox::handlerColour>("handlerColour"),
    method<&ResizableBox::borderColour>("borderColour"))

ResizableBox::ResizableBox()
    : CropBoxView({ MarqelAreaProtocol::beginResizeArea, MarqelAreaProtocol::resizeAreaFrameChanged,
                      MarqelAreaProtocol::didFinishedResizeArea },
        ReadoutAtBegin::AfterTheMessage)
{
}

std::shared_ptr<ResizableBox> ResizableBox::initWithFrame(CGRect frame)
{
    buildBox(frame);
    return retained<ResizableBox>();
}

void ResizableBox::updateDashFrame() { refitOutline(); }
