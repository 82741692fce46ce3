// A preference bundle for tests: the Settings app loads it as it would the
// product's, finds its principal class by name and shows it.

#include "platform/uikit/UIKit.h"

class TestPrefsRootController : public UIViewController {
    MARQEL_OBJECT(TestPrefsRootController, UIViewController)
public:
    void viewDidLoad() override
    {
        UIViewController::viewDidLoad();
        setTitle("Test Settings");
        auto label = view()->add<UILabel>(CGRectMake(20, 20, 200, 30));
        label->setText("Hello from the bundle");
        view()->setBackgroundColor(UIColor::systemBackgroundColor());
    }
};

// Named by an Info.plist in a test that wants a principal class which is no
// screen.
class TestPrefsSettingsModel : public Object {
    MARQEL_OBJECT(TestPrefsSettingsModel, Object)
};

MARQEL_DEFINE_CLASS(TestPrefsRootController)
MARQEL_DEFINE_CLASS(TestPrefsSettingsModel)
