#pragma once

// The machine a figure was measured on, printed beside every benchmark table
// so that a ratio is never read without its hardware.

#include <fstream>
#include <string>
#include <thread>

namespace bench {

inline std::string machine()
{
    std::ifstream in("/proc/cpuinfo");
    std::string line, model = "unknown CPU";
    while (std::getline(in, line)) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    return model + ", " + std::to_string(std::thread::hardware_concurrency()) + " cores";
}

}  // namespace bench
