#pragma once

// The display's classes, for headers that only name them.

namespace display {
class Connection;
class DisplayClient;
class DisplayServer;
class SharedSurface;
struct Message;
}  // namespace display
