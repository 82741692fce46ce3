#pragma once

// Small file operations tests use to set up and check what is on disk.

#include <string>

namespace testsupport {

bool fileExists(const std::string& path);  // anything, a dangling link included
bool isRegularFile(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// Everything under `folder`, one line per entry in name order: its path
// relative to the folder, its type and permissions, and a file's bytes or a
// link's target. Two equal snapshots mean nothing a user could see changed.
std::string treeSnapshot(const std::string& folder);

// Where a test leaves what helps to understand its failure (pictures of a
// mismatch, logs): a folder under the build folder, made on first use.
// MARQEL_TEST_OUTPUT in the environment overrides it.
std::string failureOutputFolder();

}  // namespace testsupport
