#pragma once

// What one failure case found: a row of the table. Every count but the
// trials must stay 0.

#include <iosfwd>
#include <string>
#include <vector>

namespace reliability {

struct CaseOutcome {
    std::string name;
    int trials = 0;
    int corruptFiles = 0;
    int lostChanges = 0;
    int lostUpdates = 0;
    int tornReads = 0;
    int originalsLost = 0;
    // Exits the case did not cause: a signal nobody sent, a failed next run.
    int crashes = 0;
    // Temporaries still there after the next start.
    int leftovers = 0;
    int escapes = 0;
    double seconds = 0;
    std::string note;
    // The first few faults, described, for the report under the table.
    std::vector<std::string> faults;

    void fault(int& counter, const std::string& what);
    bool clean() const;
};

void printTable(std::ostream&, const std::vector<CaseOutcome>&);

}  // namespace reliability
