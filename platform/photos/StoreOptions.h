#pragma once

#include <chrono>

namespace photos {

struct StoreOptions {
    // How long a write waits for another process's transaction to finish.
    std::chrono::milliseconds busyTimeout { 10000 };
};

}  // namespace photos
