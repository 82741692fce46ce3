#pragma once

// Colours: sRGB components as doubles. A colour is either fixed, or dynamic
// with one value for light and one for dark appearance (the label and
// background colours, the system colours), resolved against the process's
// user interface style whenever it is read.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/CGColor.h"
#include "platform/uikit/UITraitCollection.h"

class UIColor : public Object {
    MARQEL_OBJECT(UIColor, Object)
public:
    struct RGBA {
        CGFloat red = 0, green = 0, blue = 0, alpha = 0;
        bool operator==(const RGBA&) const = default;
    };

    UIColor();  // clear
    explicit UIColor(RGBA any);
    UIColor(RGBA light, RGBA dark);

    static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
    static std::shared_ptr<UIColor> colorWithLightColor(RGBA light, RGBA dark);

    static std::shared_ptr<UIColor> whiteColor();
    static std::shared_ptr<UIColor> blackColor();
    static std::shared_ptr<UIColor> clearColor();
    static std::shared_ptr<UIColor> grayColor();
    static std::shared_ptr<UIColor> darkGrayColor();
    static std::shared_ptr<UIColor> lightGrayColor();
    static std::shared_ptr<UIColor> redColor();
    static std::shared_ptr<UIColor> greenColor();
    static std::shared_ptr<UIColor> blueColor();

    static std::shared_ptr<UIColor> systemRedColor();
    static std::shared_ptr<UIColor> systemOrangeColor();
    static std::shared_ptr<UIColor> systemYellowColor();
    static std::shared_ptr<UIColor> systemGreenColor();
    static std::shared_ptr<UIColor> systemBlueColor();
    static std::shared_ptr<UIColor> systemTealColor();
    static std::shared_ptr<UIColor> systemGrayColor();

    static std::shared_ptr<UIColor> labelColor();
    static std::shared_ptr<UIColor> secondaryLabelColor();
    static std::shared_ptr<UIColor> tertiaryLabelColor();
    static std::shared_ptr<UIColor> placeholderTextColor();
    static std::shared_ptr<UIColor> systemBackgroundColor();
    static std::shared_ptr<UIColor> secondarySystemBackgroundColor();
    static std::shared_ptr<UIColor> systemGroupedBackgroundColor();
    // A row on a grouped background.
    static std::shared_ptr<UIColor> secondarySystemGroupedBackgroundColor();
    static std::shared_ptr<UIColor> separatorColor();

    // The same colour (both appearances) with another alpha.
    std::shared_ptr<UIColor> colorWithAlphaComponent(CGFloat alpha) const;
    std::shared_ptr<UIColor> resolvedColorWithTraitCollection(const std::shared_ptr<UITraitCollection>& traits) const;

    bool isDynamic() const { return !(m_light == m_dark); }
    // The components under the current process-wide style.
    RGBA components() const;
    RGBA componentsForStyle(UIUserInterfaceStyle style) const;
    bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
    CGFloat alphaComponent() const { return components().alpha; }
    // Resolved now; like on the phone, the result does not follow later
    // appearance changes.
    CGColorRef CGColor() const;

    // Same kind (fixed or dynamic) and the same components for both styles.
    bool isEqual(const std::shared_ptr<UIColor>& other) const;
    bool operator==(const UIColor& other) const { return m_light == other.m_light && m_dark == other.m_dark; }
    std::string description() const override;

private:
    RGBA m_light;
    RGBA m_dark;
    CGColorRef m_lightCG;
    CGColorRef m_darkCG;
};

// Null-safe equality for colour properties that may be unset.
bool UIColorEqual(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b);
