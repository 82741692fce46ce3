#pragma once

// A fresh device root in a temporary folder for one test, and a virtual
// clock on the main run loop.

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/RunLoop.h"

#include <cstdlib>
#include <filesystem>
#include <string>

class TestDevice {
public:
    TestDevice()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "marqel-test-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
        DevicePath::setRoot(m_root);
        RunLoop::main().reset(ClockKind::Virtual);
    }
    ~TestDevice()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    const std::string& root() const { return m_root; }
    std::string host(const std::string& devicePath) const { return DevicePath::host(devicePath); }

private:
    std::string m_root;
};
