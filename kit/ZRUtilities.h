#pragma once

// Small shared services of the kit's screens.

#include "platform/runtime/ClassBuilder.h"

#include <cstdint>

class ZRUtilities : public Object {
    MARQEL_OBJECT(ZRUtilities, Object)
public:
    static std::shared_ptr<ZRUtilities> sharedInstance();

    // One impact: 0 a light tap, 1 medium, 2 heavy. Any other strength
    // plays nothing.
    void haptic(std::int64_t strength);
};
