#pragma once

// Appearance traits. The stand-in has one process-wide user interface style
// (the system's light or dark setting); dynamic colours resolve against it.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

enum UIUserInterfaceStyle : std::int64_t {
    UIUserInterfaceStyleUnspecified = 0,
    UIUserInterfaceStyleLight = 1,
    UIUserInterfaceStyleDark = 2,
};

class UITraitCollection : public Object {
    MARQEL_OBJECT(UITraitCollection, Object)
public:
    UITraitCollection() = default;
    explicit UITraitCollection(UIUserInterfaceStyle style)
        : m_style(style)
    {
    }

    static std::shared_ptr<UITraitCollection> traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyle style);
    // The traits colours resolve against right now.
    static std::shared_ptr<UITraitCollection> currentTraitCollection();

    // The system-wide appearance setting (light until changed). Changing it
    // tells every view of every window through traitCollectionDidChange, so
    // views re-resolve their colours as they do on the phone.
    static UIUserInterfaceStyle systemUserInterfaceStyle();
    static void setSystemUserInterfaceStyle(UIUserInterfaceStyle style);

    UIUserInterfaceStyle userInterfaceStyle() const { return m_style; }
    bool isDark() const { return m_style == UIUserInterfaceStyleDark; }
    std::string description() const override;

private:
    UIUserInterfaceStyle m_style = UIUserInterfaceStyleLight;
};
