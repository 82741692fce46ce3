#pragma once

// SpringBoard's own alerts: an alert controller presented in a window of
// its own above every app, tweak and Control Center window. The window
// goes away as soon as one of the alert's actions is chosen, before the
// action's work runs, so that work sees the screen without the alert.

#include "platform/uikit/UIAlertController.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class SystemAlert {
public:
    struct Action {
        std::string title;
        UIAlertActionStyle style = UIAlertActionStyleDefault;
        std::function<void()> handler;
    };

    // Shows the alert at once. Refused (null) while another system alert
    // is up: a second tap on what opened it does not stack another.
    static std::shared_ptr<UIAlertController> present(const std::string& title, const std::string& message,
        std::vector<Action> actions);
    // The system alert on screen, or null.
    static std::shared_ptr<UIAlertController> current();
    // Takes the alert down without running an action (a new session).
    static void reset();
};
