#include "prefs/DefaultResizableBox.h"

#include "prefs/DefaultMarqelAreaProtocol.h"

MARQEL_DEFINE_CLASS(DefaultResizableBox,
    method<&DefaultResizableBox::initWithFrame>("initWithFrame:"),
    method<&DefaultResizableBox::rectLabel>("rectLabel"),
    method<&DefaultResizableBox::setRectLabel>("setRectLabel:"),
    method<&DefaultResizableBox::dashBorder>("dashBorder"),
    method<&DefaultResizableBox::setDashBorder>("setDashBorder:"),
    method<&DefaultResizableBox::delegate>("delegate"),
    method<&DefaultResizableBox::setDelegate>("setDelegate:"),
    method<&DefaultResizableBox::handlerColour>("handlerColour"),
    method<&DefaultResizableBox::setHandlerColour>("setHandlerColour:"),
    method<&DefaultResizableBox::borderColour>("borderColour"),
    method<&DefaultResizableBox::setBorderColour>("setBorderColour:"))

DefaultResizableBox::DefaultResizableBox()
    : CropBoxView({ DefaultMarqelAreaProtocol::beginResizeArea, DefaultMarqelAreaProtocol::resizeAreaFrameChanged,
                      DefaultMarqelAreaProtocol::didFinishedResizeArea },
        ReadoutAtBegin::BeforeTheMessage)
{
}

std::shared_ptr<DefaultResizableBox> DefaultResizableBox::initWithFrame(CGRect frame)
{
    buildBox(frame);
    return retained<DefaultResizableBox>();
}
