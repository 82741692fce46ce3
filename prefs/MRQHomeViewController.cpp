#include "prefs/MRQHomeViewController.h"

#include "common/MarqelPreferences.h"
#include "kit/UIView+ZRLayout.h"
#include "kit/ZRPrefsConfig.h"
#include "kit/ZRTutorialData.h"
#include "kit/ZRTutorialViewController.h"
#include "kit/ZRUtilities.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSString.h"
#include "prefs/MRQToggleView.h"
#include "prefs/TutorialPages.h"

namespace P = MarqelPreferences;

MARQEL_DEFINE_CLASS(MRQHomeViewController,
    method<&MRQHomeViewController::viewDidLoad>("viewDidLoad"),
    method<&MRQHomeViewController::presentTutorialVC>("presentTutorialVC"),
    method<&MRQHomeViewController::showControlCenterAlert>("showControlCenterAlert"),
    method<&MRQHomeViewController::config>("config"),
    method<&MRQHomeViewController::setConfig>("setConfig:"))

namespace {
constexpr const char* imagesFolder = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Assets/Images/";
}  // namespace

void MRQHomeViewController::viewDidLoad()
{
    ZRPrefsHomeViewController::viewDidLoad();

    // A missing picture leaves its place empty; the home is built all the same.
    m_config = alloc<ZRPrefsConfig>();
    m_config->setHeroCover(UIImage::imageWithContentsOfFile(std::string(imagesFolder) + "hero.png"));
    m_config->setHeroIcon(UIImage::imageWithContentsOfFile(std::string(imagesFolder) + "icon.png"));
    m_config->setTweakName("Marqel");
    m_config->setTweakVersion("v1.2");
    m_config->setIsCategoriesAvailable(false);
    m_config->setSinglePrefsClassName("MRQConfigViewController");
    m_config->setIsTutorialVideoAvailable(false);
    updateWithPrefsConfig(m_config);

    auto toggle = alloc<MRQToggleView>()->initWithFrame(CGRectZero);
    toggleContainerView()->addSubview(toggle);
    zr::fill(toggle);

    // The flag is read now, as the home loads; the hint waits for the next
    // turn of the main queue, when the home is in its window: presented from
    // here it would be refused, and the user would never see it.
    if (!P::read(P::didShowControlCenterAlert)) {
        std::weak_ptr<MRQHomeViewController> weakSelf = retained<MRQHomeViewController>();
        dispatch_async(dispatch_get_main_queue(), [weakSelf] {
            if (auto self = weakSelf.lock())
                self->showControlCenterAlert();
        });
    }
}

void MRQHomeViewController::showControlCenterAlert()
{
    auto alert = UIAlertController::alertControllerWithTitle("Marqel",
        "You will need to open the Settings app then open the Control Center section and find the (Marqel) module then "
        "press on the green plus button to add it to your control center.",
        UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, [](const std::shared_ptr<UIAlertAction>&) {
        P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain);
    }));
    presentViewController(alert, true, nullptr);
}

void MRQHomeViewController::presentTutorialVC()
{
    ZRUtilities::sharedInstance()->haptic(0);

    std::vector<std::shared_ptr<ZRTutorialData>> pages;
    for (const auto& page : TutorialPages::all)
        pages.push_back(alloc<ZRTutorialData>(page.text, page.icon));

    auto tutorial = alloc<ZRTutorialViewController>(m_config->tweakName(),
        NSString::stringWithFormat("A walk through tutorial how to use %@", m_config->tweakName()), pages);
    presentViewController(tutorial, true, nullptr);
}
