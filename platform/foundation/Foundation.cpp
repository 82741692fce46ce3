#include "platform/foundation/Foundation.h"

#include "platform/runtime/Substrate.h"

namespace foundation {
void installSystemLogForSubstrate()
{
    substrate::setLogger([](const std::string& line) { NSLog("%@", line); });
}
}  // namespace foundation
