#include "bench/reliability/CaseOutcome.h"

#include <cstdio>
#include <ostream>

namespace reliability {

void CaseOutcome::fault(int& counter, const std::string& what)
{
    ++counter;
    if (faults.size() < 5)
        faults.push_back("trial " + std::to_string(trials) + ": " + what);
}

bool CaseOutcome::clean() const
{
    return !corruptFiles && !lostChanges && !lostUpdates && !tornReads && !originalsLost && !crashes && !leftovers && !escapes;
}

void printTable(std::ostream& out, const std::vector<CaseOutcome>& outcomes)
{
    out << "| case | trials | corrupt files | lost changes | lost updates | torn reads | originals lost | crashes | temporaries left | escapes | time s |\n"
        << "|---|---|---|---|---|---|---|---|---|---|---|\n";
    for (const auto& o : outcomes) {
        char time[32];
        std::snprintf(time, sizeof time, "%.1f", o.seconds);
        out << "| " << o.name << (o.note.empty() ? "" : " (" + o.note + ")") << " | " << o.trials << " | " << o.corruptFiles
            << " | " << o.lostChanges << " | " << o.lostUpdates << " | " << o.tornReads << " | " << o.originalsLost << " | "
            << o.crashes << " | " << o.leftovers << " | " << o.escapes << " | " << time << " |\n";
    }
    for (const auto& o : outcomes)
        for (const auto& f : o.faults)
            out << "  " << o.name << ": " << f << '\n';
}

}  // namespace reliability
