#pragma once

// One button of an alert, with the closure to run when it is chosen.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <functional>
#include <string>

enum UIAlertActionStyle : std::int64_t {
    UIAlertActionStyleDefault = 0,
    UIAlertActionStyleCancel = 1,
    UIAlertActionStyleDestructive = 2,
};

class UIAlertAction : public Object {
    MARQEL_OBJECT(UIAlertAction, Object)
public:
    using Handler = std::function<void(std::shared_ptr<UIAlertAction>)>;

    UIAlertAction() = default;
    UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler)
        : m_title(std::move(title))
        , m_style(style)
        , m_handler(std::move(handler))
    {
    }
    static std::shared_ptr<UIAlertAction> actionWithTitle(const std::string& title, UIAlertActionStyle style,
        Handler handler);

    const std::string& title() const { return m_title; }
    UIAlertActionStyle style() const { return m_style; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    const Handler& handler() const { return m_handler; }

private:
    std::string m_title;
    UIAlertActionStyle m_style = UIAlertActionStyleDefault;
    Handler m_handler;
    bool m_enabled = true;
};
