#pragma once

#include "platform/runtime/ClassBuilder.h"

#include <mutex>
#include <string>
#include <vector>

// What the simulated process sees of itself: the host sets the arguments the
// phone's process would have been started with.
class NSProcessInfo : public Object {
    MARQEL_OBJECT(NSProcessInfo, Object)
public:
    static std::shared_ptr<NSProcessInfo> processInfo();

    std::vector<std::string> arguments() const;
    void setArguments(std::vector<std::string> arguments);
    // Last path component of the first argument.
    std::string processName() const;
    // Unique across processes and restarts: 128 random bits from the kernel.
    std::string globallyUniqueString() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_arguments { "marqel" };
};
