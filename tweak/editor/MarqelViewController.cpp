#include "tweak/editor/MarqelViewController.h"

#include "common/EditorViews.h"
#include "common/MarqelPreferences.h"
#include "common/SavedAreaStore.h"
#include "kit/UIView+ZRLayout.h"
#include "platform/foundation/NSLog.h"
#include "tweak/core/MarqelConfig.h"
#include "tweak/editor/MarqelToolButton.h"
#include "tweak/editor/ResizableBox.h"
#include "tweak/savedareas/MarqelSavedAreaViewController.h"

MARQEL_DEFINE_CLASS_LAZY(MarqelViewController,
    method<&MarqelViewController::layoutMarqelView>("layoutMarqelView"),
    method<&MarqelViewController::layoutToolView>("layoutToolView"),
    method<&MarqelViewController::updateMarqelArea>("updateMarqelArea"),
    method<&MarqelViewController::beginResizeArea>("beginResizeArea"),
    method<&MarqelViewController::resizeAreaFrameChanged>("resizeAreaFrameChanged"),
    method<&MarqelViewController::didFinishedResizeArea>("didFinishedResizeArea"),
    method<&MarqelViewController::hideToolView>("hideToolView:"),
    method<&MarqelViewController::dismissMarqel>("dismissMarqel"),
    method<&MarqelViewController::microphonePressed>("microphonePressed"),
    method<&MarqelViewController::expandPressed>("expandPressed"),
    method<&MarqelViewController::favouritePressed>("favouritePressed"),
    method<&MarqelViewController::addFavouritePressed>("addFavouritePressed"),
    method<&MarqelViewController::invokeHaptic>("invokeHaptic"),
    method<&MarqelViewController::didSelectedSavedArea>("didSelectedSavedArea:"),
    method<&MarqelViewController::prepareRecording>("prepareRecording"),
    method<&MarqelViewController::delegate>("delegate"),
    method<&MarqelViewController::setDelegate>("setDelegate:"),
    method<&MarqelViewController::mutableDict>("mutableDict"),
    method<&MarqelViewController::setMutableDict>("setMutableDict:"),
    method<&MarqelViewController::config>("config"))

namespace {
namespace P = MarqelPreferences;

constexpr const char* expandSymbol = "arrow.up.left.and.arrow.down.right";
constexpr const char* restoreSymbol = "arrow.down.right.and.arrow.up.left";
}  // namespace

void MarqelViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(UIColor::clearColor());
    m_config = alloc<MarqelConfig>();
    m_toggleExpand = false;
    m_toggleMicrophone = P::read(P::toggleMicrophone);
    CGRect stored = EditorViews::storedRectangle();
    m_defaultX = stored.origin.x;
    m_defaultY = stored.origin.y;
    m_defaultWidth = stored.size.width;
    m_defaultHeight = stored.size.height;
    layoutMarqelView();
    layoutToolView();
}

void MarqelViewController::layoutMarqelView()
{
    auto root = view();
    m_dimmingView = EditorViews::addDimmingView(*root);
    CGRect stored = CGRectMake(m_defaultX, m_defaultY, m_defaultWidth, m_defaultHeight);
    m_marqelView = alloc<ResizableBox>()->initWithFrame(stored);
    m_marqelView->setDelegate(retained());
    EditorViews::placeBox(*root, m_marqelView, stored);
    updateMarqelArea();
}

void MarqelViewController::updateMarqelArea() { EditorViews::cutOut(*m_dimmingView, m_marqelView->frame()); }

void MarqelViewController::layoutToolView()
{
    auto root = view();
    CGFloat W = root->frame().size.width;

    m_topView = alloc<UIView>();
    root->addSubview(m_topView);
    zr::size(*m_topView, W, 40);
    zr::x(*m_topView, root->centerXAnchor());
    zr::top(*m_topView, root->topAnchor(), 45);

    m_closeButton = UIButton::buttonWithType(UIButtonTypeSystem);
    m_closeButton->setTintColor(UIColor::whiteColor());
    m_closeButton->setImage(UIImage::systemImageNamed("xmark"), UIControlStateNormal);
    m_closeButton->addTarget(retained(), sel_registerName("dismissMarqel"), UIControlEventTouchUpInside);
    m_topView->addSubview(m_closeButton);
    zr::size(*m_closeButton, 40, 40);
    zr::y(*m_closeButton, m_topView->centerYAnchor());
    zr::trailing(*m_closeButton, m_topView->trailingAnchor(), -20);

    m_bottomView = alloc<UIView>();
    root->addSubview(m_bottomView);
    zr::size(*m_bottomView, W, 45);
    zr::x(*m_bottomView, root->centerXAnchor());
    zr::bottom(*m_bottomView, root->bottomAnchor(), -40);

    auto button = [this](const char* icon, std::shared_ptr<UIColor> accent, CGFloat size, const char* action) {
        auto b = alloc<MarqelToolButton>()->initWithIcon(icon, accent, size, sel_registerName(action));
        m_bottomView->addSubview(b);
        zr::size(*b, 45, 45);
        zr::y(*b, m_bottomView->centerYAnchor());
        return b;
    };
    m_recordButton = button("record.circle", UIColor::systemRedColor(), 35, "prepareRecording");
    zr::x(*m_recordButton, m_bottomView->centerXAnchor());
    m_micButton = button(m_toggleMicrophone ? "mic.fill" : "mic.slash.fill", UIColor::systemOrangeColor(), 30, "microphonePressed");
    zr::trailing(*m_micButton, m_recordButton->leadingAnchor(), -10);
    m_expandButton = button(expandSymbol, UIColor::systemGreenColor(), 30, "expandPressed");
    zr::trailing(*m_expandButton, m_micButton->leadingAnchor(), -10);
    m_favButton = button("square.grid.2x2.fill", UIColor::systemYellowColor(), 30, "favouritePressed");
    zr::leading(*m_favButton, m_recordButton->trailingAnchor(), 10);
    m_addButton = button("rectangle.fill.badge.plus", UIColor::systemBlueColor(), 30, "addFavouritePressed");
    zr::leading(*m_addButton, m_favButton->trailingAnchor(), 10);
}

void MarqelViewController::beginResizeArea()
{
    updateMarqelArea();
    hideToolView(true);
}

void MarqelViewController::resizeAreaFrameChanged()
{
    updateMarqelArea();
    hideToolView(true);
}

void MarqelViewController::didFinishedResizeArea()
{
    updateMarqelArea();
    hideToolView(false);
}

void MarqelViewController::hideToolView(bool hide)
{
    EditorViews::fadeBars({ m_topView, m_bottomView }, hide);
}

void MarqelViewController::invokeHaptic()
{
    if (!P::read(P::toggleHaptic))
        return;
    UIImpactFeedbackStyle style;
    switch (P::read(P::marqelHapticStrength)) {
    case 0: style = UIImpactFeedbackStyleSoft; break;
    case 1: style = UIImpactFeedbackStyleLight; break;
    case 2: style = UIImpactFeedbackStyleMedium; break;
    default: return;
    }
    alloc<UIImpactFeedbackGenerator>(style)->impactOccurred();
}

void MarqelViewController::dismissMarqel() { msgSend<void>(delegate(), "dismissWindow"); }

void MarqelViewController::microphonePressed()
{
    invokeHaptic();
    m_toggleMicrophone = !m_toggleMicrophone;
    // The button shows the new state whether or not the write took.
    (void)P::write(P::toggleMicrophone, m_toggleMicrophone);
    m_micButton->icon()->setImage(UIImage::systemImageNamed(m_toggleMicrophone ? "mic.fill" : "mic.slash.fill"));
}

void MarqelViewController::expandPressed()
{
    invokeHaptic();
    m_toggleExpand = !m_toggleExpand;
    auto root = view();
    if (m_toggleExpand) {
        m_marqelView->setFrame(CGRectMake(0, 0, root->frame().size.width, root->frame().size.height));
    } else {
        m_marqelView->setFrame(CGRectMake(0, 0, 250, 250));
        m_marqelView->setCenter(root->center());
    }
    m_expandButton->icon()->setImage(UIImage::systemImageNamed(m_toggleExpand ? restoreSymbol : expandSymbol));
    updateMarqelArea();
    m_marqelView->updateDashFrame();
}

void MarqelViewController::favouritePressed()
{
    invokeHaptic();
    auto browser = alloc<MarqelSavedAreaViewController>();
    browser->setDelegate(retained());
    auto navigation = alloc<UINavigationController>(browser);
    navigation->setModalPresentationStyle(UIModalPresentationFullScreen);
    presentViewController(navigation, true, nullptr);
}

void MarqelViewController::addFavouritePressed()
{
    invokeHaptic();
    presentSaveAreaAlert();
}

void MarqelViewController::presentSaveAreaAlert()
{
    auto alert = UIAlertController::alertControllerWithTitle("Marqel",
        "Enter the name you want to save the custom area so you can restore the area", UIAlertControllerStyleAlert);
    alert->addTextFieldWithConfigurationHandler([](std::shared_ptr<UITextField> field) { field->setPlaceholder("Enter area name..."); });
    // The alert owns its actions; weak references keep it from owning itself.
    std::weak_ptr<MarqelViewController> weakSelf = retained<MarqelViewController>();
    std::weak_ptr<UIAlertController> weakAlert = alert;
    alert->addAction(UIAlertAction::actionWithTitle("Save Custom Area", UIAlertActionStyleDefault, [weakSelf, weakAlert](auto) {
        auto self = weakSelf.lock();
        auto shown = weakAlert.lock();
        if (self && shown && !shown->textFields().empty())
            self->saveCustomArea(shown->textFields().front()->text());
    }));
    alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, [](auto) {}));
    presentViewController(alert, true, nullptr);
}

void MarqelViewController::saveCustomArea(const std::string& name)
{
    if (name.empty())
        return;
    if (auto named = SavedAreaStore::checkName(name); !named) {
        // A name the file cannot keep (a pasted control character, say):
        // the user meant to save, so the same question comes back, empty,
        // rather than the area being dropped without a word.
        NSLog("marqel: could not save the area: %@", named.message());
        presentSaveAreaAlert();
        return;
    }
    CGRect frame = m_marqelView->frame();
    auto contents = SavedAreaStore::load();
    m_mutableDict = contents.dictionary;
    // A failed write is logged by the store, a refused rectangle (from a
    // hand-edited record put back in the box) here; the user is told nothing.
    auto added = SavedAreaStore::add(contents, name, frame);
    if (!added && added.code() == foundation::ErrorCode::InvalidArgument)
        NSLog("marqel: could not save the area: %@", added.message());
}

void MarqelViewController::didSelectedSavedArea(CGRect area)
{
    m_marqelView->setFrame(area);
    updateMarqelArea();
    m_marqelView->updateDashFrame();
}

void MarqelViewController::prepareRecording()
{
    invokeHaptic();
    m_config->setCropFrame(m_marqelView->frame());
    m_config->setToggleMicrophone(m_toggleMicrophone);
    msgSend<void>(delegate(), "recordButtonPressedWithConfig:", id(m_config));
}
