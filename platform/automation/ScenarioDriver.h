#pragma once

// The simulated user: boots SpringBoard, posts the invocation, touches the
// screen, types into alerts, waits on the virtual clock, stops recordings,
// and checks what a user (or the file system) would see. Usable from C++
// and from a line-based scenario file (see ScenarioFile.h).

#include "platform/foundation/CGGeometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIView;
class UIWindow;

namespace automation {

class ScenarioDriver {
public:
    // The preference domain's typed writes and reads are the product's
    // business; the command that runs scenarios hands them in.
    using PreferenceWriter = std::function<std::string(const std::string& key, const std::string& value)>;  // "" or an error
    using PreferenceReader = std::function<std::optional<std::string>(const std::string& key)>;
    using Snapshotter = std::function<std::string(const std::string& path)>;  // "" or an error

    ScenarioDriver();
    void setPreferences(PreferenceWriter writer, PreferenceReader reader);
    void setSnapshotter(Snapshotter snapshotter);
    void setOutput(std::function<void(const std::string&)> output) { m_output = std::move(output); }

    // One step of the file format; throws StepFailure on a failed expect
    // or a step that cannot be done.
    void runStep(const std::string& line);

    // The same steps for C++ callers.
    void screen(double width, double height, double scale);
    void boot();
    void invoke();
    void touch(const std::string& phase, CGPoint point);
    void drag(CGPoint from, CGPoint to, int steps);
    void tap(CGPoint point);
    void tapSymbol(const std::string& name);
    void tapTitle(const std::string& title);
    void type(const std::string& text);
    void wait(double seconds);
    void stopRecording(const std::string& how);
    void waitForCrop(double timeout);

    // What the user sees.
    std::shared_ptr<UIView> findBox() const;
    std::shared_ptr<UIWindow> overlayWindow() const;
    std::shared_ptr<UIView> findSymbol(const std::string& name) const;

private:
    void expect(const std::vector<std::string>& words);
    void say(const std::string& line);

    PreferenceWriter m_writePreference;
    PreferenceReader m_readPreference;
    Snapshotter m_snapshot;
    std::function<void(const std::string&)> m_output;
    std::size_t m_logMark = 0;
    std::size_t m_hapticMark = 0;
    std::size_t m_cropNoticesSeen = 0;
};

class StepFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace automation
