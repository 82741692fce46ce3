#include "tools/ScenarioRunner.h"

#include "platform/automation/ScenarioFile.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "tools/Command.h"
#include "tools/PreferenceText.h"

#include <iomanip>
#include <iostream>

namespace tools {

automation::ScenarioDriver makeDriver()
{
    automation::ScenarioDriver driver;
    driver.setPreferences(
        [](const std::string& key, const std::string& text) -> std::string {
            try {
                const auto& info = findKey(key);
                if (!MarqelPreferences::manager()->setValue(parseValue(info, text), info.name, MarqelPreferences::domain))
                    return "could not write the preference file";
                return "";
            } catch (const CommandError& e) {
                return e.what();
            }
        },
        [](const std::string& key) -> std::optional<std::string> {
            for (const auto& info : MarqelPreferences::allKeys)
                if (key == info.name)
                    return MarqelPreferences::readText(info);
            return std::nullopt;
        });
    driver.setSnapshotter([](const std::string& path) -> std::string {
        auto status = render::writeScreenPNG(path);
        return status ? std::string() : status.message();
    });
    driver.setOutput([](const std::string& line) { std::cout << "      " << line << '\n'; });
    return driver;
}

void runScenario(const std::string& path, bool quiet)
{
    RunLoop::main().reset(ClockKind::Virtual);
    auto driver = makeDriver();
    auto result = automation::runScenarioFile(driver, path, [quiet](int line, const std::string& step) {
        if (!quiet)
            std::cout << std::setw(5) << line << "  " << step << '\n'
                      << std::flush;
    });
    if (!result.ok)
        throw CommandError("scenario failed at " + result.message);
    if (!quiet)
        std::cout << "scenario passed: " << path << '\n';
}

}  // namespace tools
