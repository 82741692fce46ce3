#pragma once

#include "platform/runtime/ClassBuilder.h"

// SpringBoard's application class. Private: the tweak finds it by name.
// FIXME: derive from UIApplication once the view layer is in the host.
class SpringBoard : public Object {
    MARQEL_OBJECT(SpringBoard, Object)
public:
    void applicationDidFinishLaunching(id application);
    bool didFinishLaunching() const { return m_finished; }

private:
    bool m_finished = false;
};
