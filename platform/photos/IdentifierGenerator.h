#pragma once

#include <cstddef>
#include <string>

namespace photos {

// Draws from the kernel on every call: a seeded generator would hand forked
// processes the same sequence and so the same identifiers.
class IdentifierGenerator {
public:
    // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX/L0/001", a random (version 4) UUID.
    static std::string newLocalIdentifier();
    static std::string randomHex(std::size_t byteCount);
};

}  // namespace photos
