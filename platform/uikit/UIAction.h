#pragma once

// A menu item: a title, an optional symbol image, attributes and a handler
// run when the user chooses it.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <functional>
#include <string>

using UIMenuElementAttributes = std::uint64_t;
inline constexpr UIMenuElementAttributes UIMenuElementAttributesDisabled = 1 << 0;
inline constexpr UIMenuElementAttributes UIMenuElementAttributesDestructive = 1 << 1;
inline constexpr UIMenuElementAttributes UIMenuElementAttributesHidden = 1 << 2;

class UIAction : public Object {
    MARQEL_OBJECT(UIAction, Object)
public:
    using Handler = std::function<void(std::shared_ptr<UIAction>)>;

    UIAction() = default;
    static std::shared_ptr<UIAction> actionWithTitle(const std::string& title, std::shared_ptr<UIImage> image,
        const std::string& identifier, Handler handler);

    const std::string& title() const { return m_title; }
    const std::shared_ptr<UIImage>& image() const { return m_image; }
    const std::string& identifier() const { return m_identifier; }
    UIMenuElementAttributes attributes() const { return m_attributes; }
    void setAttributes(UIMenuElementAttributes attributes) { m_attributes = attributes; }
    bool isDestructive() const { return m_attributes & UIMenuElementAttributesDestructive; }
    bool isDisabled() const { return m_attributes & UIMenuElementAttributesDisabled; }
    bool isHidden() const { return m_attributes & UIMenuElementAttributesHidden; }

    // Runs the handler (nothing for a disabled action).
    void perform();

private:
    std::string m_title;
    std::shared_ptr<UIImage> m_image;
    std::string m_identifier;
    UIMenuElementAttributes m_attributes = 0;
    Handler m_handler;
};
