#pragma once

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"

// What one recording run needs to know: the crop rectangle in screen points
// and whether the microphone is recorded. A plain record; the one object the
// editor owns travels by reference to SpringBoard and the crop engine.
class MarqelConfig : public Object {
    MARQEL_OBJECT(MarqelConfig, Object)
public:
    bool toggleMicrophone() const { return m_toggleMicrophone; }
    void setToggleMicrophone(bool value) { m_toggleMicrophone = value; }
    CGRect cropFrame() const { return m_cropFrame; }
    void setCropFrame(CGRect value) { m_cropFrame = value; }

private:
    bool m_toggleMicrophone = false;
    CGRect m_cropFrame = CGRectZero;
};
