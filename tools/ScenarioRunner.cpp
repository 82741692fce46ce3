#include "tools/ScenarioRunner.h"

#include "platform/automation/ScenarioFile.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/render/PictureAudit.h"
#include "scenario/MarqelSteps.h"
#include "tools/CommandError.h"
#include "tools/PreferenceText.h"

#include <filesystem>
#include <iomanip>
#include <iostream>

namespace tools {

void check(const foundation::Status& status)
{
    if (!status)
        throw CommandError(status.message());
}

scenario::RecordingSteps prepareDriver(automation::ScenarioDriver& driver)
{
    driver.setPreferences(
        [](const std::string& key, const std::string& text) -> foundation::Status {
            try {
                const auto& info = findKey(key);
                if (auto written = MarqelPreferences::manager()->writeValue(parseValue(info, text), info.name, MarqelPreferences::domain); !written)
                    return foundation::Error { foundation::ErrorCode::WriteFailed, "could not write the preference file: " + written.message() };
                return {};
            } catch (const CommandError& e) {
                return foundation::Error { foundation::ErrorCode::InvalidArgument, e.what() };
            }
        },
        [](const std::string& key) -> std::optional<std::string> {
            for (const auto& info : MarqelPreferences::allKeys)
                if (key == info.name)
                    return MarqelPreferences::readText(info);
            return std::nullopt;
        });
    driver.setSnapshotter([](const std::string& path) -> foundation::Status { return render::writeScreenPNG(path); });
    // The phone runs whole here: a touch before `boot` would reach nothing.
    driver.setTouchesNeedBoot(true);
    driver.setOutput([](const std::string& line) { std::cout << "      " << line << '\n'; });
    auto steps = scenario::registerMarqelSteps(driver);
    if (!steps)
        throw CommandError("cannot register the scenario steps: " + steps.message());
    return steps.release();
}

std::size_t auditScreen(const std::string& pictureName)
{
    auto findings = render::PictureAudit::auditScreen();
    std::cerr << render::PictureAudit::report(pictureName, findings) << std::flush;
    return findings.size();
}

void runScenario(const std::string& path, bool quiet, ScenarioHost host, Audit audit)
{
    RunLoop::main().reset(ClockKind::Virtual);
    automation::ScenarioDriver driver;
    prepareDriver(driver);
    std::size_t findings = 0;
    if (audit == Audit::Yes)
        driver.setSnapshotter([&findings](const std::string& picture) -> foundation::Status {
            TRY(render::writeScreenPNG(picture));
            findings += auditScreen(std::filesystem::path(picture).filename().string());
            return {};
        });
    if (host == ScenarioHost::SettingsApp)
        check(driver.setBooter(automation::ScenarioDriver::settingsAppBooter()));
    if (host == ScenarioHost::SettingsAppAtEntries)
        check(driver.setBooter(automation::ScenarioDriver::settingsAppBooter(SettingsAppHost::Start::AtEntries)));
    if (host == ScenarioHost::PhotosApp)
        check(driver.setBooter(automation::ScenarioDriver::photosAppBooter()));
    auto result = automation::runScenarioFile(driver, path, [quiet](int line, const std::string& step) {
        if (!quiet)
            std::cout << std::setw(5) << line << "  " << step << '\n'
                      << std::flush;
    });
    if (!result) {
        std::string message = "scenario failed at " + result.message();
        // The suite's naming rule: a settings- file is the Settings app's.
        std::string name = std::filesystem::path(path).filename().string();
        if (host == ScenarioHost::SpringBoard && name.starts_with("settings-"))
            message += "\n" + path + " is a scenario for the Settings app (its name starts with settings-), played here in SpringBoard; play it with `marqel settings "
                + (name.starts_with("settings-entries") ? "--entries " : "") + "--script " + path + "`";
        if (host == ScenarioHost::SpringBoard && name.starts_with("photos-"))
            message += "\n" + path + " is a scenario for the Photos app (its name starts with photos-), played here in SpringBoard; play it with `marqel photos --script " + path + "`";
        throw CommandError(message);
    }
    if (findings > 0)
        throw CommandError("the audit found " + std::to_string(findings) + " fault" + (findings == 1 ? "" : "s") + " in the scenario's pictures (listed above)", auditFindingsStatus);
    if (!quiet)
        std::cout << "scenario passed: " << path << '\n';
}

}  // namespace tools
