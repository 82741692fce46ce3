#pragma once

#include <chrono>
#include <functional>

namespace photos {

struct StoreOptions {
    // How long a write waits for another process's transaction to finish.
    std::chrono::milliseconds busyTimeout { 10000 };
    // Seconds since the Unix epoch, for the dates the store stamps itself
    // (when an asset went to the trash). The host passes its run loop's
    // clock so that scripted runs and tests see the dates they set; empty
    // means the wall clock.
    std::function<double()> now;
};

}  // namespace photos
