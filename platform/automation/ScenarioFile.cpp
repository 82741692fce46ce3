#include "platform/automation/ScenarioFile.h"

#include <fstream>

namespace automation {

ScenarioResult runScenarioFile(ScenarioDriver& driver, const std::string& path,
    const std::function<void(int, const std::string&)>& onStep)
{
    ScenarioResult result;
    std::ifstream in(path);
    if (!in) {
        result.ok = false;
        result.message = "cannot read the scenario file " + path;
        return result;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        auto hash = line.find('#');
        std::string step = hash == std::string::npos ? line : line.substr(0, hash);
        if (step.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        while (!step.empty() && (step.back() == ' ' || step.back() == '\t' || step.back() == '\r'))
            step.pop_back();
        if (onStep)
            onStep(number, step.substr(step.find_first_not_of(" \t")));
        try {
            driver.runStep(step);
        } catch (const std::exception& e) {
            result.ok = false;
            result.failedLine = number;
            result.message = path + ":" + std::to_string(number) + ": " + step.substr(step.find_first_not_of(" \t")) + ": " + e.what();
            return result;
        }
    }
    return result;
}

}  // namespace automation
