#pragma once

// A finger on the simulated screen, in screen points, through the
// application's sendTouch as a real touch arrives.

#include "platform/uikit/UIApplication.h"

namespace testsupport {

inline void touch(UITouchPhase phase, CGPoint point) { UIApplication::sharedApplication()->sendTouch(phase, point); }

// Down, one move halfway, one move to the end, up.
inline void drag(CGPoint from, CGPoint to)
{
    touch(UITouchPhaseBegan, from);
    touch(UITouchPhaseMoved, CGPointMake((from.x + to.x) / 2, (from.y + to.y) / 2));
    touch(UITouchPhaseMoved, to);
    touch(UITouchPhaseEnded, to);
}

}  // namespace testsupport
