#pragma once

// Running another program (ffmpeg, ffprobe) straight from its arguments: no
// shell, so no path or filter needs quoting.

#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
    int exitCode = -1;  // -1 when it could not start or did not exit normally
    std::string output;  // its standard output, binary-safe
};

// Runs argv[0] (searched on PATH) with the rest as its arguments. Its
// standard error goes to the test's unless `quiet`.
ProgramResult runProgram(const std::vector<std::string>& argv, bool quiet = false);

}  // namespace testsupport
