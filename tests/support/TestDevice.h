#pragma once

// A fresh device root in a temporary folder for one test, a virtual clock on
// the main run loop, and every process-wide singleton that keeps state
// between tests put back as a new process would find it: on construction,
// and again when the test ends.

#include "tests/support/TempDir.h"

#include <string>

class TestDevice {
public:
    TestDevice();
    ~TestDevice();
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    const std::string& root() const { return m_root.path(); }
    std::string host(const std::string& devicePath) const;

    // What the constructor does, for fixtures that share one device across
    // several phases.
    static void resetSingletons();

private:
    testsupport::TempDir m_root;
};
