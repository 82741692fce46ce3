#include "kit/ZRPrefsConfig.h"

#include "platform/uikit/UIImage.h"

MARQEL_DEFINE_CLASS(ZRPrefsConfig,
    method<&ZRPrefsConfig::tweakName>("tweakName"),
    method<&ZRPrefsConfig::setTweakName>("setTweakName:"),
    method<&ZRPrefsConfig::titleString>("titleString"),
    method<&ZRPrefsConfig::setTitleString>("setTitleString:"),
    method<&ZRPrefsConfig::plistName>("plistName"),
    method<&ZRPrefsConfig::setPlistName>("setPlistName:"),
    method<&ZRPrefsConfig::tweakVersion>("tweakVersion"),
    method<&ZRPrefsConfig::setTweakVersion>("setTweakVersion:"),
    method<&ZRPrefsConfig::singlePrefsClassName>("singlePrefsClassName"),
    method<&ZRPrefsConfig::setSinglePrefsClassName>("setSinglePrefsClassName:"),
    method<&ZRPrefsConfig::heroCover>("heroCover"),
    method<&ZRPrefsConfig::setHeroCover>("setHeroCover:"),
    method<&ZRPrefsConfig::heroIcon>("heroIcon"),
    method<&ZRPrefsConfig::setHeroIcon>("setHeroIcon:"),
    method<&ZRPrefsConfig::isCategoriesAvailable>("isCategoriesAvailable"),
    method<&ZRPrefsConfig::setIsCategoriesAvailable>("setIsCategoriesAvailable:"),
    method<&ZRPrefsConfig::isTutorialVideoAvailable>("isTutorialVideoAvailable"),
    method<&ZRPrefsConfig::setIsTutorialVideoAvailable>("setIsTutorialVideoAvailable:"))
