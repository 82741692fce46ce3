#include "kit/ZRPreferencesListViewController.h"

#include "kit/UIColor+ZRColours.h"
#include "kit/ZRColourText.h"
#include "kit/ZRPrefsManager.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSString.h"
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

MARQEL_DEFINE_CLASS(ZRPreferencesListViewController,
    method<&ZRPreferencesListViewController::viewDidLoad>("viewDidLoad"),
    method<&ZRPreferencesListViewController::updateWithPrefsConfig>("updateWithPrefsConfig:"),
    method<&ZRPreferencesListViewController::rowTapped>("rowTapped:"),
    method<&ZRPreferencesListViewController::switchChanged>("switchChanged:"),
    method<&ZRPreferencesListViewController::choiceChanged>("choiceChanged:"))

namespace {

using Row = ZRPreferencesListViewController::Row;
using Kind = ZRPreferencesListViewController::RowKind;
using foundation::Error;
using foundation::ErrorCode;
using foundation::Result;

constexpr UIViewAutoresizing flexibleWidth = UIViewAutoresizingFlexibleWidth;
constexpr const char* defaultColourText = "FFFFFF";
// How much of a refused colour text its alert quotes.
constexpr std::size_t quotedCharacters = 40;

const std::string* stringIn(const PlistDict& dict, const std::string& key)
{
    const PlistValue* value = dict.find(key);
    return value ? value->get<std::string>() : nullptr;
}

Error notARow(std::string why) { return Error { ErrorCode::InvalidArgument, std::move(why) }; }

Result<Row> readButton(const PlistDict& dict, Row row)
{
    row.kind = Kind::Button;
    const std::string* action = stringIn(dict, "action");
    if (!action || action->empty())
        return notARow("the button \"" + row.label + "\" has no action");
    row.action = *action;
    return row;
}

Result<Row> readSwitch(const PlistValue* fallback, Row row)
{
    row.kind = Kind::Switch;
    if (fallback && !fallback->is<bool>())
        return notARow("the switch \"" + row.label + "\" has a default that is not a bool");
    row.defaultValue = PlistValue(fallback ? *fallback->get<bool>() : false);
    return row;
}

Result<Row> readColour(const PlistValue* fallback, Row row)
{
    row.kind = Kind::Colour;
    if (!fallback) {
        row.defaultValue = PlistValue(std::string(defaultColourText));
        return row;
    }
    const std::string* text = fallback->get<std::string>();
    auto colour = text ? zr::colourText(*text) : Result<std::string>(notARow("not a string"));
    if (!colour)
        return notARow("the colour \"" + row.label + "\" has a default that is not six hexadecimal digits");
    row.defaultValue = PlistValue(colour.release());
    return row;
}

Result<Row> readChoice(const PlistDict& dict, const PlistValue* fallback, Row row)
{
    row.kind = Kind::Choice;
    const PlistValue* options = dict.find("options");
    const auto* list = options ? options->get<PlistArray>() : nullptr;
    if (!list || list->empty())
        return notARow("the choice \"" + row.label + "\" has no options");
    for (const auto& option : *list) {
        const auto* title = option.get<std::string>();
        if (!title)
            return notARow("the choice \"" + row.label + "\" has an option that is not a string");
        row.options.push_back(*title);
    }
    if (fallback && !fallback->is<std::int64_t>())
        return notARow("the choice \"" + row.label + "\" has a default that is not an integer");
    row.defaultValue = PlistValue(fallback ? *fallback->get<std::int64_t>() : std::int64_t(0));
    return row;
}

// One item of the resource as a row, or why it cannot be one.
Result<Row> readItem(const PlistValue& item)
{
    const auto* dict = item.get<PlistDict>();
    if (!dict)
        return notARow("an item is not a dictionary");
    const std::string* cell = stringIn(*dict, "cell");
    if (!cell)
        return notARow("an item has no \"cell\" kind");
    Row row;
    if (const std::string* label = stringIn(*dict, "label"))
        row.label = *label;
    if (*cell == "group") {
        row.kind = Kind::Group;
        return row;
    }
    if (*cell == "button")
        return readButton(*dict, std::move(row));
    if (*cell != "switch" && *cell != "colour" && *cell != "choice")
        return notARow("an item has the unknown kind \"" + *cell + "\"");
    const std::string* key = stringIn(*dict, "key");
    if (!key || key->empty())
        return notARow("the row \"" + row.label + "\" has no key");
    row.key = *key;
    const PlistValue* fallback = dict->find("default");
    if (*cell == "switch")
        return readSwitch(fallback, std::move(row));
    if (*cell == "colour")
        return readColour(fallback, std::move(row));
    return readChoice(*dict, fallback, std::move(row));
}

}  // namespace

Result<ZRPreferencesListViewController::Rows> ZRPreferencesListViewController::parseRows(const PlistValue& resource)
{
    const auto* top = resource.get<PlistDict>();
    if (!top)
        return Error { ErrorCode::UnreadableInput, "it is not a dictionary" };
    const std::string* domain = stringIn(*top, "domain");
    if (!domain || domain->empty())
        return Error { ErrorCode::UnreadableInput, "it names no preference domain" };
    const PlistValue* items = top->find("items");
    const auto* list = items ? items->get<PlistArray>() : nullptr;
    if (!list)
        return Error { ErrorCode::UnreadableInput, "it has no item array" };
    Rows rows;
    rows.domain = *domain;
    for (const auto& item : *list) {
        auto row = readItem(item);
        if (row)
            rows.rows.push_back(row.release());
        else
            rows.leftOut.push_back(row.message());
    }
    return rows;
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
    auto rows = parseRows(parsed.value());
    if (!rows)
        return why(rows.message());
    for (const auto& problem : rows.value().leftOut)
        NSLog("ZRPreferencesListViewController: left out of \"%@\": %@", name, problem);
    // A button's action names a method by a string from the file; one of
    // another shape (setTitle:, say) cannot be sent as an action, so the
    // button stays and does nothing. A missing one is said when tapped.
    for (auto& row : rows.value().rows) {
        if (row.kind != RowKind::Button)
            continue;
        Method method = class_getInstanceMethod(isa(), sel_registerName(row.action));
        if (method && !isActionMethod(method)) {
            NSLog("ZRPreferencesListViewController: in \"%@\", the button \"%@\" names %@ of %@, which takes what no button sends "
                  "(%@); the button does nothing",
                name, row.label, row.action, className(), method_getTypeEncoding(method));
            row.action.clear();
        }
    }
    m_domain = std::move(rows.value().domain);
    m_rows = std::move(rows.value().rows);
}

void ZRPreferencesListViewController::buildRows()
{
    if (!m_scrollView)
        return;
    for (auto subviews = m_scrollView->subviews(); const auto& subview : subviews)
        subview->removeFromSuperview();
    const CGFloat width = m_scrollView->bounds().size.width;
    const CGFloat cardWidth = std::max<CGFloat>(width - 2 * sideInset, 1);
    CGFloat y = 12;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        Row& row = m_rows[i];
        if (row.kind == RowKind::Group) {
            y += addHeading(row, y, cardWidth);
            continue;
        }
        y += addCard(row, i, y, cardWidth);
        switch (row.kind) {
        case RowKind::Switch: addSwitch(row, i, cardWidth); break;
        case RowKind::Colour: addColourValue(row, cardWidth); break;
        case RowKind::Choice: addChoice(row, i, cardWidth); break;
        case RowKind::Button: addButtonMark(row, cardWidth); break;
        case RowKind::Group: break;
        }
        // A tap on the card's title acts on its control; a choice's
        // segments are their own targets.
        if (row.kind != RowKind::Choice)
            row.view->addGestureRecognizer(alloc<UITapGestureRecognizer>(retained(), "rowTapped:"));
    }
    m_scrollView->setContentSize({ width, y + 24 });
}

// A section title over the cards that follow; answers the height it takes.
CGFloat ZRPreferencesListViewController::addHeading(Row& row, CGFloat y, CGFloat cardWidth)
{
    row.view = m_scrollView->add<UIView>(CGRectMake(sideInset, y, cardWidth, headingHeight));
    row.view->setAutoresizingMask(flexibleWidth);
    row.titleLabel = row.view->add<UILabel>(CGRectMake(4, 16, cardWidth - 8, 20));
    row.titleLabel->setText(row.label);
    row.titleLabel->setFont(UIFont::systemFontOfSize(13, UIFontWeightSemibold));
    row.titleLabel->setTextColor(UIColor::secondaryLabelColor());
    row.titleLabel->setAutoresizingMask(flexibleWidth);
    return headingHeight + 4;
}

// The rounded card and title of every other row, tagged with the row's
// index; answers the height it takes with the spacing below it.
CGFloat ZRPreferencesListViewController::addCard(Row& row, std::size_t index, CGFloat y, CGFloat cardWidth)
{
    CGFloat height = row.kind == RowKind::Choice ? choiceRowHeight : rowHeight;
    row.view = m_scrollView->add<UIView>(CGRectMake(sideInset, y, cardWidth, height));
    row.view->setTag(static_cast<std::int64_t>(index));
    row.view->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
    row.view->layer()->setCornerRadius(12);
    row.view->setAutoresizingMask(flexibleWidth);
    row.titleLabel = row.view->add<UILabel>(CGRectMake(16, 0, cardWidth - 140, rowHeight));
    row.titleLabel->setText(row.label);
    row.titleLabel->setAutoresizingMask(flexibleWidth);
    return height + rowSpacing;
}

void ZRPreferencesListViewController::addSwitch(Row& row, std::size_t index, CGFloat cardWidth)
{
    row.toggle = row.view->add<UISwitch>(CGRectMake(cardWidth - 16 - 51, (rowHeight - 31) / 2, 51, 31));
    row.toggle->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    row.toggle->setTag(static_cast<std::int64_t>(index));
    row.toggle->setOnTintColor(zr::enabledColour());
    row.toggle->setOn(ZRPrefsManager::sharedInstance()->boolForKey(row.key, *row.defaultValue.get<bool>(), m_domain));
    row.toggle->addTarget(retained(), "switchChanged:", UIControlEventValueChanged);
}

// The stored colour as text and as a swatch.
void ZRPreferencesListViewController::addColourValue(Row& row, CGFloat cardWidth)
{
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
}

void ZRPreferencesListViewController::addChoice(Row& row, std::size_t index, CGFloat cardWidth)
{
    row.choice = row.view->add<UISegmentedControl>(row.options);
    row.choice->setFrame(CGRectMake(12, rowHeight - 6, cardWidth - 24, UISegmentedControl::defaultHeight));
    row.choice->setAutoresizingMask(flexibleWidth);
    row.choice->setTag(static_cast<std::int64_t>(index));
    // A stored value outside the options chooses none.
    row.choice->setSelectedSegmentIndex(ZRPrefsManager::sharedInstance()->integerForKey(row.key, *row.defaultValue.get<std::int64_t>(), m_domain));
    row.choice->addTarget(retained(), "choiceChanged:", UIControlEventValueChanged);
}

// A button reads as a link, with a disclosure mark.
void ZRPreferencesListViewController::addButtonMark(Row& row, CGFloat cardWidth)
{
    row.titleLabel->setTextColor(zr::accentColour());
    auto mark = row.view->add<UILabel>(CGRectMake(cardWidth - 28, 0, 16, rowHeight));
    mark->setText("\u203A");
    mark->setFont(UIFont::systemFontOfSize(24));
    mark->setTextColor(UIColor::tertiaryLabelColor());
    mark->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
}

ZRPreferencesListViewController::Row* ZRPreferencesListViewController::rowAt(std::int64_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_rows.size())
        return nullptr;
    return &m_rows[static_cast<std::size_t>(index)];
}

ZRPreferencesListViewController::Row* ZRPreferencesListViewController::rowAt(std::int64_t index, RowKind kind)
{
    Row* row = rowAt(index);
    return row && row->kind == kind ? row : nullptr;
}

void ZRPreferencesListViewController::refreshColourRow(Row& row)
{
    std::string hex = ZRPrefsManager::sharedInstance()->colourHexForKey(row.key, *row.defaultValue.get<std::string>(), m_domain);
    row.valueLabel->setText("#" + hex);
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
    Row* row = view ? rowAt(view->tag()) : nullptr;
    if (!row)
        return;
    switch (row->kind) {
    case RowKind::Switch: {
        // As a tap on the switch would: flip it, then store what it shows.
        row->toggle->setOn(!row->toggle->isOn(), true);
        row->toggle->sendActionsForControlEvents(UIControlEventValueChanged);
        break;
    }
    case RowKind::Colour:
        editColourAtIndex(view->tag());
        break;
    case RowKind::Button:
        fireButton(*row);
        break;
    case RowKind::Choice:
    case RowKind::Group:
        break;
    }
}

void ZRPreferencesListViewController::switchChanged(const std::shared_ptr<UISwitch>& sender)
{
    const Row* row = sender ? rowAt(sender->tag(), RowKind::Switch) : nullptr;
    if (!row)
        return;
    auto manager = ZRPrefsManager::sharedInstance();
    if (auto written = manager->writeValue(PlistValue(sender->isOn()), row->key, m_domain); !written)
        NSLog("ZRPreferencesListViewController: could not store %@: %@", row->key, written.message());
    // The switch shows what is stored, not what was asked.
    sender->setOn(manager->boolForKey(row->key, *row->defaultValue.get<bool>(), m_domain));
}

void ZRPreferencesListViewController::choiceChanged(const std::shared_ptr<UISegmentedControl>& sender)
{
    const Row* row = sender ? rowAt(sender->tag(), RowKind::Choice) : nullptr;
    if (!row || sender->selectedSegmentIndex() < 0)
        return;
    auto written = ZRPrefsManager::sharedInstance()->writeValue(PlistValue(sender->selectedSegmentIndex()), row->key, m_domain);
    if (!written)
        NSLog("ZRPreferencesListViewController: could not store %@: %@", row->key, written.message());
}

void ZRPreferencesListViewController::editColourAtIndex(std::int64_t index)
{
    const Row* row = rowAt(index, RowKind::Colour);
    if (!row)
        return;
    auto alert = UIAlertController::alertControllerWithTitle(row->label,
        "Enter the colour as six hexadecimal digits (RRGGBB).", UIAlertControllerStyleAlert);
    std::string current = ZRPrefsManager::sharedInstance()->colourHexForKey(row->key, *row->defaultValue.get<std::string>(), m_domain);
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
    Row* row = rowAt(index, RowKind::Colour);
    if (!row)
        return false;
    auto colour = zr::colourText(text);
    if (!colour) {
        auto refusal = UIAlertController::alertControllerWithTitle("Not a Colour",
            // Pasted text may be any length; the advice after it must show.
            "\"" + foundation::shortened(text, quotedCharacters) + "\" is not a colour. Enter six hexadecimal digits (0-9, A-F), like FF9500.",
            UIAlertControllerStyleAlert);
        refusal->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
        presentViewController(refusal, true, nullptr);
        return false;
    }
    if (auto written = ZRPrefsManager::sharedInstance()->writeValue(PlistValue(colour.value()), row->key, m_domain); !written) {
        NSLog("ZRPreferencesListViewController: could not store %@: %@", row->key, written.message());
        return false;
    }
    refreshColourRow(*row);
    return true;
}

void ZRPreferencesListViewController::fireButton(const Row& row)
{
    // Left without an action when the rows were read (said then).
    if (row.action.empty())
        return;
    SEL action = sel_registerName(row.action);
    auto self = retained();
    if (!respondsToSelector(action)) {
        NSLog("ZRPreferencesListViewController: %@ has no action %@", className(), row.action);
        return;
    }
    performAction(self, action, row.view);
}
