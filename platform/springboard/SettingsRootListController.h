#pragma once

// The Settings app's first screen, as the phone opens it from the home
// screen: titled "Settings", a grouped list with a row for every installed
// preference entry (a property list in the PreferenceLoader folder naming a
// bundle, its label and its icon), sorted by label. A tap on a row loads the
// entry's bundle and pushes its principal class; a bundle that cannot come
// up is named in an alert that says what to do, and the list stays.
//
// An entry file looks like this; only "entry" and a bundle are required:
//   entry: { bundle: "MarqelPrefs",             the bundle's name
//            bundlePath: "/var/LIY/.../X.bundle", where it is (else
//                                       /var/jb/Library/PreferenceBundles/
//                                       <bundle>.bundle)
//            label: "Marqel",           the row's text (else the bundle's
//                                       name)
//            icon: "Assets/Images/icon.png" }  a PNG inside the bundle
//                                       folder (with @2x/@3x variants)
// A file that cannot be read, or that names no bundle, is left out with a
// line in the system log; the rest are shown.

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Result.h"
#include "platform/uikit/UIViewController.h"

#include <string>
#include <vector>

class SettingsRootListController : public UIViewController {
    MARQEL_OBJECT(SettingsRootListController, UIViewController)
public:
    static constexpr const char* entriesFolder = "/var/jb/Library/PreferenceLoader/Preferences";
    static constexpr const char* defaultBundlesFolder = "/var/jb/Library/PreferenceBundles";
    static constexpr CGFloat sideInset = 16;
    static constexpr CGFloat topInset = 24;
    static constexpr CGFloat rowHeight = 44;
    static constexpr CGFloat iconSize = 29;
    static constexpr CGFloat iconInset = 15;
    static constexpr CGFloat labelInset = 60;

    struct Entry {
        std::string label;
        // Device paths; the icon's is "" when the entry names none (or one
        // outside its bundle folder).
        std::string bundlePath;
        std::string iconPath;
        std::string entryPath;
    };

    // One entry file's contents, or why it is no entry. `entryPath` (a
    // device path) is kept in the entry and named in messages.
    static foundation::Result<Entry> entryFromPropertyList(const PlistValue& contents, const std::string& entryPath);
    // Every "*.plist" in the entries folder, sorted by label; each one left
    // out gets its line in the system log.
    static std::vector<Entry> readInstalledEntries();

    SettingsRootListController();

    void viewDidLoad() override;
    // Read when the view loads.
    const std::vector<Entry>& entries() const { return m_entries; }
    // The row views, in the order shown.
    const std::vector<std::shared_ptr<UIView>>& rows() const { return m_rows; }

    // Pushes the principal controller of the entry labelled `label`, as a
    // tap on its row does. When its bundle cannot come up, the alert is
    // shown and its message is the error.
    foundation::Status openEntry(const std::string& label);
    void entryRowTapped(const std::shared_ptr<UIView>& sender);

private:
    foundation::Status open(const Entry& entry);
    void buildRows();

    std::vector<Entry> m_entries;
    std::shared_ptr<UIScrollView> m_scrollView;
    std::vector<std::shared_ptr<UIView>> m_rows;
};
