#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"

namespace photos {

class LibrarySchema {
public:
    static constexpr int currentVersion = 1;

    // Creates the tables in an empty database, accepts one at our version and
    // refuses anything else without changing it. Runs under the write lock so
    // two processes opening a new library at once create it exactly once.
    static Status prepare(SqliteConnection& connection);
};

}  // namespace photos
