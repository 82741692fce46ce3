#pragma once

#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "marqel-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Names of everything in the folder (no . and ..).
    std::vector<std::string> entries() const;

private:
    std::string m_path;
};

}  // namespace testsupport
