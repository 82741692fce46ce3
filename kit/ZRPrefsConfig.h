#pragma once

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <string>

// What a settings screen is told about the product it belongs to: the
// kit's home and list screens build their header, title and rows from it.
// A plain record, created empty; unset texts are empty and unset pictures
// null, which the screens show as nothing rather than as an error.
class ZRPrefsConfig : public Object {
    MARQEL_OBJECT(ZRPrefsConfig, Object)
public:
    const std::string& tweakName() const { return m_tweakName; }
    void setTweakName(const std::string& value) { m_tweakName = value; }
    const std::string& titleString() const { return m_titleString; }
    void setTitleString(const std::string& value) { m_titleString = value; }
    const std::string& plistName() const { return m_plistName; }
    void setPlistName(const std::string& value) { m_plistName = value; }
    const std::string& tweakVersion() const { return m_tweakVersion; }
    void setTweakVersion(const std::string& value) { m_tweakVersion = value; }
    const std::string& singlePrefsClassName() const { return m_singlePrefsClassName; }
    void setSinglePrefsClassName(const std::string& value) { m_singlePrefsClassName = value; }
    std::shared_ptr<UIImage> heroCover() const { return m_heroCover; }
    void setHeroCover(const std::shared_ptr<UIImage>& value) { m_heroCover = value; }
    std::shared_ptr<UIImage> heroIcon() const { return m_heroIcon; }
    void setHeroIcon(const std::shared_ptr<UIImage>& value) { m_heroIcon = value; }
    bool isCategoriesAvailable() const { return m_isCategoriesAvailable; }
    void setIsCategoriesAvailable(bool value) { m_isCategoriesAvailable = value; }
    bool isTutorialVideoAvailable() const { return m_isTutorialVideoAvailable; }
    void setIsTutorialVideoAvailable(bool value) { m_isTutorialVideoAvailable = value; }

private:
    std::string m_tweakName;
    std::string m_titleString;
    std::string m_plistName;
    std::string m_tweakVersion;
    std::string m_singlePrefsClassName;
    std::shared_ptr<UIImage> m_heroCover;
    std::shared_ptr<UIImage> m_heroIcon;
    bool m_isCategoriesAvailable = false;
    bool m_isTutorialVideoAvailable = false;
};
