#pragma once

// A settings page: rows read from a property-list resource of the bundle
// that defines the page's class, each editing one preference.
//
// The resource "<plist name>.plist" is a dictionary:
//   "domain"  string, the preference domain every row reads and writes
//   "items"   array of dictionaries, one a row, shown in order:
//     "cell"     "group"  : a section heading ("label")
//                "switch" : a switch; "key", "default" (bool); writes a bool
//                "colour" : a swatch and the "RRGGBB" text; "key",
//                           "default" (colour text); a tap opens an alert
//                           titled by the label that takes colour text and
//                           writes it as the six digits (zr::colourText)
//                "choice" : a segmented control; "key", "default" (integer),
//                           "options" (array of titles, values 0...n-1);
//                           writes an integer
//                "button" : sends "action" (a selector taking no argument
//                           or the row) to the page; a page without that
//                           method logs it and does nothing
//     "label"    the row's title
// A missing or unreadable resource, or one without a domain or an item
// array, gives an empty list and a line in the system log; a single item
// that is not one of the above is left out, with a line in the log.
//
// A tap on a row's title toggles its switch, opens its colour editor or
// fires its button; a tap on a segment's title chooses it.

#include "kit/ZRPrefsConfig.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Result.h"
#include "platform/uikit/UIViewController.h"

#include <string>
#include <vector>

class ZRPreferencesListViewController : public UIViewController {
    MARQEL_OBJECT(ZRPreferencesListViewController, UIViewController)
public:
    static constexpr CGFloat sideInset = 16;
    static constexpr CGFloat rowHeight = 50;
    static constexpr CGFloat choiceRowHeight = 92;
    static constexpr CGFloat headingHeight = 40;
    static constexpr CGFloat rowSpacing = 8;
    static constexpr const char* colourEditorSave = "Save";
    static constexpr const char* colourEditorCancel = "Cancel";

    enum class RowKind {
        Group,
        Switch,
        Colour,
        Choice,
        Button,
    };
    struct Row {
        RowKind kind = RowKind::Group;
        std::string label;
        std::string key;
        PlistValue defaultValue;
        std::vector<std::string> options;
        std::string action;
        std::shared_ptr<UIView> view;
        std::shared_ptr<UILabel> titleLabel;
        std::shared_ptr<UISwitch> toggle;  // switch rows
        std::shared_ptr<UIView> swatch;  // colour rows
        std::shared_ptr<UILabel> valueLabel;  // colour rows: the hex
        std::shared_ptr<UISegmentedControl> choice;  // choice rows
    };
    // A rows resource as read, before any view is built.
    struct Rows {
        std::string domain;
        std::vector<Row> rows;
        // Why each item that cannot be a row was left out, in order.
        std::vector<std::string> leftOut;
    };

    // Reads the contents of a rows resource (see the top of this file).
    // Fails, saying why, without a domain or an item array; an item that
    // cannot be a row is left out and named in `leftOut`.
    static foundation::Result<Rows> parseRows(const PlistValue& resource);

    void viewDidLoad() override;
    void updateWithPrefsConfig(const std::shared_ptr<ZRPrefsConfig>& config);

    const std::vector<Row>& rows() const { return m_rows; }
    // The row titled `label`, or null.
    const Row* rowWithLabel(const std::string& label) const;
    const std::string& domain() const { return m_domain; }
    std::shared_ptr<UIScrollView> scrollView() const { return m_scrollView; }

    // Actions of the rows' controls and recognisers.
    void rowTapped(const std::shared_ptr<UIGestureRecognizer>& sender);
    void switchChanged(const std::shared_ptr<UISwitch>& sender);
    void choiceChanged(const std::shared_ptr<UISegmentedControl>& sender);
    // Opens the colour editor of the row at `index`.
    void editColourAtIndex(std::int64_t index);
    // What the colour editor's Save does with the typed text: writes it in
    // its kept form when it is a colour (see zr::colourText), otherwise
    // says what is wanted and writes nothing.
    bool saveColourText(std::int64_t index, const std::string& text);

private:
    void loadRows(const std::shared_ptr<ZRPrefsConfig>& config);
    void buildRows();
    CGFloat addHeading(Row& row, CGFloat y, CGFloat cardWidth);
    CGFloat addCard(Row& row, std::size_t index, CGFloat y, CGFloat cardWidth);
    void addSwitch(Row& row, std::size_t index, CGFloat cardWidth);
    void addColourValue(Row& row, CGFloat cardWidth);
    void addChoice(Row& row, std::size_t index, CGFloat cardWidth);
    void addButtonMark(Row& row, CGFloat cardWidth);
    // The row at `index` (a card's or a control's tag) when it is one of
    // `kind`, else null.
    Row* rowAt(std::int64_t index, RowKind kind);
    Row* rowAt(std::int64_t index);
    void refreshColourRow(Row& row);
    void fireButton(const Row& row);

    std::shared_ptr<ZRPrefsConfig> m_config;
    std::shared_ptr<UIScrollView> m_scrollView;
    std::string m_domain;
    std::vector<Row> m_rows;
};
