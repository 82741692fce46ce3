#include "platform/automation/ScenarioFile.h"

#include "platform/automation/ScenarioDriver.h"

#include <fstream>
#include <istream>

namespace automation {

foundation::Status runScenarioFile(ScenarioDriver& driver, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep)
{
    return runScenarioFile([&driver](const std::string& step) { return driver.runStep(step); }, path, onStep);
}

foundation::Status runScenario(ScenarioDriver& driver, std::istream& in, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep)
{
    return runScenario([&driver](const std::string& step) { return driver.runStep(step); }, in, path, onStep);
}

foundation::Status runScenarioFile(const StepRunner& runStep, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep)
{
    std::ifstream in(path);
    if (!in)
        return foundation::Error { foundation::ErrorCode::UnreadableInput, "cannot read the scenario file " + path };
    return runScenario(runStep, in, path, onStep);
}

foundation::Status runScenario(const StepRunner& runStep, std::istream& in, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep)
{
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        // A NUL would cut the step short where it is printed and parsed.
        if (auto nul = line.find('\0'); nul != std::string::npos)
            return foundation::Error { foundation::ErrorCode::InvalidArgument,
                path + ":" + std::to_string(number) + ": a NUL byte at column " + std::to_string(nul + 1)
                    + "; a scenario file is text, one step per line" };
        auto hash = line.find('#');
        std::string step = hash == std::string::npos ? line : line.substr(0, hash);
        auto start = step.find_first_not_of(" \t\r");
        if (start == std::string::npos)
            continue;
        step.erase(0, start);
        while (!step.empty() && (step.back() == ' ' || step.back() == '\t' || step.back() == '\r'))
            step.pop_back();
        if (onStep)
            onStep(number, step);
        if (auto status = runStep(step); !status)
            return foundation::Error { status.code(), path + ":" + std::to_string(number) + ": " + step + ": " + status.message() };
    }
    if (in.bad())
        return foundation::Error { foundation::ErrorCode::UnreadableInput, "cannot read the scenario file " + path };
    return {};
}

}  // namespace automation
