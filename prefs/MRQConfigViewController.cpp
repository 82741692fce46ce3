#include "prefs/MRQConfigViewController.h"

#include "kit/ZRPrefsConfig.h"
#include "prefs/DefaultMarqelViewController.h"

MARQEL_DEFINE_CLASS(MRQConfigViewController,
    method<&MRQConfigViewController::viewDidLoad>("viewDidLoad"),
    method<&MRQConfigViewController::presentDefaultAreaVC>("presentDefaultAreaVC"))

void MRQConfigViewController::viewDidLoad()
{
    ZRPreferencesListViewController::viewDidLoad();
    auto config = alloc<ZRPrefsConfig>();
    config->setTweakName("Marqel");
    config->setTitleString("Settings");
    config->setPlistName("PrimarySetting");
    updateWithPrefsConfig(config);
}

void MRQConfigViewController::presentDefaultAreaVC()
{
    auto editor = alloc<DefaultMarqelViewController>();
    editor->setModalPresentationStyle(UIModalPresentationFullScreen);
    presentViewController(editor, true, nullptr);
}
