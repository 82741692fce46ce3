#pragma once

#include "platform/runtime/ClassBuilder.h"

// SpringBoard's application object. Private: the tweak finds the class by
// name. Touches and windows are UIApplication's, which the host drives.
class SpringBoard : public Object {
    MARQEL_OBJECT(SpringBoard, Object)
public:
    void applicationDidFinishLaunching(id application);
    bool didFinishLaunching() const { return m_finished; }

private:
    bool m_finished = false;
};
