#pragma once

// Running another program (ffmpeg, ffprobe) straight from its arguments: no
// shell, so no path or filter needs quoting.

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

struct ProgramResult {
    int exitCode = -1;  // -1 when it could not start or did not exit normally
    std::string output;  // its standard output, binary-safe
};

// Runs argv[0] (searched on PATH) with the rest as its arguments. Its
// standard error goes to the test's unless `quiet`.
ProgramResult runProgram(const std::vector<std::string>& argv, bool quiet = false);

// This test program again, as a fresh process running only `test` (a
// DISABLED_ test that plays another process's part), with `environment`
// ("NAME=value") added to this one's. Forking a test without exec could
// leave the child waiting for ever on a lock another thread held at the
// fork (the sanitizers' allocator's, now and then). The child's pid, or -1.
pid_t startThisTest(const std::string& test, const std::vector<std::string>& environment);
// Waits for a child; true when it exited with status 0.
bool finishedWell(pid_t child);

}  // namespace testsupport
