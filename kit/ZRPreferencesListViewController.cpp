#include "kit/ZRPreferencesListViewController.h"

#include "kit/UIColor+ZRColours.h"
#include "kit/ZRPrefsManager.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UISegmentedControl.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UITextField.h"

#include <algorithm>
#include <cctype>

MARQEL_DEFINE_CLASS(ZRPreferencesListViewController,
    method<&ZRPreferencesListViewController::viewDidLoad>("viewDidLoad"),
    method<&ZRPreferencesListViewController::updateWithPrefsConfig>("updateWithPrefsConfig:"),
    method<&ZRPreferencesListViewController::rowTapped>("rowTapped:"),
    method<&ZRPreferencesListViewController::switchChanged>("switchChanged:"),
    method<&ZRPreferencesListViewController::choiceChanged>("choiceChanged:"))

namespace {

constexpr UIViewAutoresizing flexibleWidth = UIViewAutoresizingFlexibleWidth;
constexpr const char* defaultColourText = "FFFFFF";

const std::string* stringIn(const PlistDict& dict, const std::string& key)
{
    const PlistValue* value = dict.find(key);
    return value ? value->get<std::string>() : nullptr;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Why an item cannot be a row, or "" when it can; fills `row`.
std::string readItem(const PlistValue& item, ZRPreferencesListViewController::Row& row)
{
    using Kind = ZRPreferencesListViewController::RowKind;
    const auto* dict = item.get<PlistDict>();
    if (!dict)
        return "an item is not a dictionary";
    const std::string* cell = stringIn(*dict, "cell");
    if (!cell)
        return "an item has no \"cell\" kind";
    if (const std::string* label = stringIn(*dict, "label"))
        row.label = *label;
    if (*cell == "group") {
        row.kind = Kind::Group;
        return "";
    }
    if (*cell == "button") {
        row.kind = Kind::Button;
        const std::string* action = stringIn(*dict, "action");
        if (!action || action->empty())
            return "the button \"" + row.label + "\" has no action";
        row.action = *action;
        return "";
    }
    const std::string* key = stringIn(*dict, "key");
    if (!key || key->empty())
        return "the row \"" + row.label + "\" has no key";
    row.key = *key;
    const PlistValue* fallback = dict->find("default");
    if (*cell == "switch") {
        row.kind = Kind::Switch;
        if (fallback && !fallback->is<bool>())
            return "the switch \"" + row.label + "\" has a default that is not a bool";
        row.defaultValue = PlistValue(fallback ? *fallback->get<bool>() : false);
        return "";
    }
    if (*cell == "colour") {
        row.kind = Kind::Colour;
        const std::string* text = fallback ? fallback->get<std::string>() : nullptr;
        if (fallback && (!text || !ZRPreferencesListViewController::isColourText(*text)))
            return "the colour \"" + row.label + "\" has a default that is not six hexadecimal digits";
        row.defaultValue = PlistValue(text ? upper(*text) : std::string(defaultColourText));
        return "";
    }
    if (*cell == "choice") {
        row.kind = Kind::Choice;
        const PlistValue* options = dict->find("options");
        const auto* list = options ? options->get<PlistArray>() : nullptr;
        if (!list || list->empty())
            return "the choice \"" + row.label + "\" has no options";
        for (const auto& option : *list) {
            const auto* title = option.get<std::string>();
            if (!title)
                return "the choice \"" + row.label + "\" has an option that is not a string";
            row.options.push_back(*title);
        }
        if (fallback && !fallback->is<std::int64_t>())
            return "the choice \"" + row.label + "\" has a default that is not an integer";
        row.defaultValue = PlistValue(fallback ? *fallback->get<std::int64_t>() : std::int64_t(0));
        return "";
    }
    return "an item has the unknown kind \"" + *cell + "\"";
}

}  // namespace

bool ZRPreferencesListViewController::isColourText(const std::string& text)
{
    return text.size() == 6
        && std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

void ZRPreferencesListViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto& root = *view();
    root.setBackgroundColor(UIColor::systemGroupedBackgroundColor());
    m_scrollView = root.add<UIScrollView>(root.bounds());
    m_scrollView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
}

void ZRPreferencesListViewController::updateWithPrefsConfig(const std::shared_ptr<ZRPrefsConfig>& config)
{
    m_config = config ? config : alloc<ZRPrefsConfig>();
    setTitle(m_config->titleString());
    if (!m_scrollView)
        view();
    loadRows(m_config);
    buildRows();
}

void ZRPreferencesListViewController::loadRows(const std::shared_ptr<ZRPrefsConfig>& config)
{
    m_rows.clear();
    m_domain.clear();
    const std::string& name = config->plistName();
    auto why = [&](const std::string& reason) { NSLog("ZRPreferencesListViewController: no rows from \"%@\": %@", name, reason); };
    if (name.empty())
        return why("no resource is named");
    auto bundle = NSBundle::bundleForClass(isa());
    std::string path = bundle ? bundle->pathForResource(name, "plist") : "";
    if (path.empty())
        return why("the bundle " + (bundle ? bundle->bundlePath() : std::string("(none)")) + " has no such resource");
    auto host = DevicePath::toHost(path);
    if (!host)
        return why(host.error().message);
    auto parsed = plist::readFile(host.value());
    if (!parsed)
        return why(parsed.error().message);
    const auto* top = parsed.value().get<PlistDict>();
    if (!top)
        return why("it is not a dictionary");
    const std::string* domain = stringIn(*top, "domain");
    if (!domain || domain->empty())
        return why("it names no preference domain");
    const PlistValue* items = top->find("items");
    const auto* list = items ? items->get<PlistArray>() : nullptr;
    if (!list)
        return why("it has no item array");
    m_domain = *domain;
    for (const auto& item : *list) {
        Row row;
        std::string problem = readItem(item, row);
        if (!problem.empty()) {
            NSLog("ZRPreferencesListViewController: left out of \"%@\": %@", name, problem);
            continue;
        }
        m_rows.push_back(std::move(row));
    }
}

void ZRPreferencesListViewController::buildRows()
{
    if (!m_scrollView)
        return;
    for (auto subviews = m_scrollView->subviews(); const auto& subview : subviews)
        subview->removeFromSuperview();
    auto manager = ZRPrefsManager::sharedInstance();
    auto self = retained();
    const CGFloat width = m_scrollView->bounds().size.width;
    const CGFloat cardWidth = std::max<CGFloat>(width - 2 * sideInset, 1);
    CGFloat y = 12;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        Row& row = m_rows[i];
        if (row.kind == RowKind::Group) {
            row.view = m_scrollView->add<UIView>(CGRectMake(sideInset, y, cardWidth, headingHeight));
            row.view->setAutoresizingMask(flexibleWidth);
            row.titleLabel = row.view->add<UILabel>(CGRectMake(4, 16, cardWidth - 8, 20));
            row.titleLabel->setText(row.label);
            row.titleLabel->setFont(UIFont::systemFontOfSize(13, UIFontWeightSemibold));
            row.titleLabel->setTextColor(UIColor::secondaryLabelColor());
            row.titleLabel->setAutoresizingMask(flexibleWidth);
            y += headingHeight + 4;
            continue;
        }
        CGFloat height = row.kind == RowKind::Choice ? choiceRowHeight : rowHeight;
        row.view = m_scrollView->add<UIView>(CGRectMake(sideInset, y, cardWidth, height));
        row.view->setTag(static_cast<std::int64_t>(i));
        row.view->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
        row.view->layer()->setCornerRadius(12);
        row.view->setAutoresizingMask(flexibleWidth);
        row.titleLabel = row.view->add<UILabel>(CGRectMake(16, 0, cardWidth - 140, rowHeight));
        row.titleLabel->setText(row.label);
        row.titleLabel->setAutoresizingMask(flexibleWidth);

        switch (row.kind) {
        case RowKind::Switch: {
            row.toggle = row.view->add<UISwitch>(CGRectMake(cardWidth - 16 - 51, (rowHeight - 31) / 2, 51, 31));
            row.toggle->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
            row.toggle->setTag(static_cast<std::int64_t>(i));
            row.toggle->setOnTintColor(zr::enabledColour());
            row.toggle->setOn(manager->boolForKey(row.key, *row.defaultValue.get<bool>(), m_domain));
            row.toggle->addTarget(self, "switchChanged:", UIControlEventValueChanged);
            row.view->addGestureRecognizer(alloc<UITapGestureRecognizer>(self, "rowTapped:"));
            break;
        }
        case RowKind::Colour: {
            row.valueLabel = row.view->add<UILabel>(CGRectMake(cardWidth - 16 - 28 - 10 - 80, 0, 80, rowHeight));
            row.valueLabel->setTextAlignment(NSTextAlignmentRight);
            row.valueLabel->setTextColor(UIColor::secondaryLabelColor());
            row.valueLabel->setFont(UIFont::systemFontOfSize(15));
            row.valueLabel->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
            row.swatch = row.view->add<UIView>(CGRectMake(cardWidth - 16 - 28, (rowHeight - 28) / 2, 28, 28));
            row.swatch->setUserInteractionEnabled(false);
            row.swatch->layer()->setCornerRadius(14);
            row.swatch->layer()->setBorderWidth(1);
            row.swatch->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
            refreshColourRow(row);
            row.view->addGestureRecognizer(alloc<UITapGestureRecognizer>(self, "rowTapped:"));
            break;
        }
        case RowKind::Choice: {
            row.choice = row.view->add<UISegmentedControl>(row.options);
            row.choice->setFrame(CGRectMake(12, rowHeight - 6, cardWidth - 24, UISegmentedControl::defaultHeight));
            row.choice->setAutoresizingMask(flexibleWidth);
            row.choice->setTag(static_cast<std::int64_t>(i));
            // A stored value outside the options chooses none.
            row.choice->setSelectedSegmentIndex(manager->integerForKey(row.key, *row.defaultValue.get<std::int64_t>(), m_domain));
            row.choice->addTarget(self, "choiceChanged:", UIControlEventValueChanged);
            break;
        }
        case RowKind::Button: {
            row.titleLabel->setTextColor(zr::primaryColour());
            auto mark = row.view->add<UILabel>(CGRectMake(cardWidth - 28, 0, 16, rowHeight));
            mark->setText("\u203A");
            mark->setFont(UIFont::systemFontOfSize(24));
            mark->setTextColor(UIColor::tertiaryLabelColor());
            mark->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
            row.view->addGestureRecognizer(alloc<UITapGestureRecognizer>(self, "rowTapped:"));
            break;
        }
        case RowKind::Group:
            break;
        }
        y += height + rowSpacing;
    }
    m_scrollView->setContentSize({ width, y + 24 });
}

void ZRPreferencesListViewController::refreshColourRow(Row& row)
{
    std::string hex = ZRPrefsManager::sharedInstance()->colourHexForKey(row.key, *row.defaultValue.get<std::string>(), m_domain);
    row.valueLabel->setText("#" + upper(hex));
    row.swatch->setBackgroundColor(zr::colourFromHex(hex));
    // A mid grey ring keeps a white or black swatch visible on its card in
    // either appearance.
    row.swatch->layer()->setBorderColor(UIColor::colorWithWhite(0.5, 0.5)->CGColor());
}

const ZRPreferencesListViewController::Row* ZRPreferencesListViewController::rowWithLabel(const std::string& label) const
{
    for (const auto& row : m_rows)
        if (row.label == label)
            return &row;
    return nullptr;
}

void ZRPreferencesListViewController::rowTapped(const std::shared_ptr<UIGestureRecognizer>& sender)
{
    auto view = sender ? sender->view() : nullptr;
    if (!view || view->tag() < 0 || static_cast<std::size_t>(view->tag()) >= m_rows.size())
        return;
    std::int64_t index = view->tag();
    Row& row = m_rows[static_cast<std::size_t>(index)];
    switch (row.kind) {
    case RowKind::Switch: {
        // As a tap on the switch would: flip it, then store what it shows.
        row.toggle->setOn(!row.toggle->isOn(), true);
        row.toggle->sendActionsForControlEvents(UIControlEventValueChanged);
        break;
    }
    case RowKind::Colour:
        editColourAtIndex(index);
        break;
    case RowKind::Button:
        fireButton(row);
        break;
    case RowKind::Choice:
    case RowKind::Group:
        break;
    }
}

void ZRPreferencesListViewController::switchChanged(const std::shared_ptr<UISwitch>& sender)
{
    if (!sender || sender->tag() < 0 || static_cast<std::size_t>(sender->tag()) >= m_rows.size())
        return;
    const Row& row = m_rows[static_cast<std::size_t>(sender->tag())];
    if (row.kind != RowKind::Switch)
        return;
    if (!ZRPrefsManager::sharedInstance()->setBool(sender->isOn(), row.key, m_domain))
        NSLog("ZRPreferencesListViewController: could not store %@", row.key);
    // The switch shows what is stored, not what was asked.
    sender->setOn(ZRPrefsManager::sharedInstance()->boolForKey(row.key, *row.defaultValue.get<bool>(), m_domain));
}

void ZRPreferencesListViewController::choiceChanged(const std::shared_ptr<UISegmentedControl>& sender)
{
    if (!sender || sender->tag() < 0 || static_cast<std::size_t>(sender->tag()) >= m_rows.size())
        return;
    const Row& row = m_rows[static_cast<std::size_t>(sender->tag())];
    if (row.kind != RowKind::Choice || sender->selectedSegmentIndex() < 0)
        return;
    if (!ZRPrefsManager::sharedInstance()->setValue(PlistValue(sender->selectedSegmentIndex()), row.key, m_domain))
        NSLog("ZRPreferencesListViewController: could not store %@", row.key);
}

void ZRPreferencesListViewController::editColourAtIndex(std::int64_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_rows.size())
        return;
    const Row& row = m_rows[static_cast<std::size_t>(index)];
    if (row.kind != RowKind::Colour)
        return;
    auto alert = UIAlertController::alertControllerWithTitle(row.label,
        "Enter the colour as six hexadecimal digits (RRGGBB).", UIAlertControllerStyleAlert);
    std::string current = upper(ZRPrefsManager::sharedInstance()->colourHexForKey(row.key, *row.defaultValue.get<std::string>(), m_domain));
    alert->addTextFieldWithConfigurationHandler([current](std::shared_ptr<UITextField> field) {
        field->setText(current);
        field->setPlaceholder("RRGGBB");
    });
    alert->addAction(UIAlertAction::actionWithTitle(colourEditorCancel, UIAlertActionStyleCancel, nullptr));
    std::weak_ptr<UIAlertController> weakAlert = alert;
    std::weak_ptr<ZRPreferencesListViewController> weakSelf = retained<ZRPreferencesListViewController>();
    alert->addAction(UIAlertAction::actionWithTitle(colourEditorSave, UIAlertActionStyleDefault,
        [weakAlert, weakSelf, index](const std::shared_ptr<UIAlertAction>&) {
            auto alert = weakAlert.lock();
            auto self = weakSelf.lock();
            if (!alert || !self || alert->textFields().empty())
                return;
            self->saveColourText(index, alert->textFields().front()->text());
        }));
    presentViewController(alert, true, nullptr);
}

bool ZRPreferencesListViewController::saveColourText(std::int64_t index, const std::string& text)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_rows.size())
        return false;
    Row& row = m_rows[static_cast<std::size_t>(index)];
    if (row.kind != RowKind::Colour)
        return false;
    if (!isColourText(text)) {
        auto refusal = UIAlertController::alertControllerWithTitle("Not a Colour",
            "\"" + text + "\" is not a colour. Enter six hexadecimal digits (0-9, A-F), like FF9500.",
            UIAlertControllerStyleAlert);
        refusal->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
        presentViewController(refusal, true, nullptr);
        return false;
    }
    if (!ZRPrefsManager::sharedInstance()->setValue(PlistValue(upper(text)), row.key, m_domain)) {
        NSLog("ZRPreferencesListViewController: could not store %@", row.key);
        return false;
    }
    refreshColourRow(row);
    return true;
}

void ZRPreferencesListViewController::fireButton(const Row& row)
{
    SEL action = sel_registerName(row.action);
    auto self = retained();
    if (!respondsToSelector(action)) {
        NSLog("ZRPreferencesListViewController: %@ has no action %@", className(), row.action);
        return;
    }
    performAction(self, action, row.view);
}
