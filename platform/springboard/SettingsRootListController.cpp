#include "platform/springboard/SettingsRootListController.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/SettingsAppHost.h"
#include "platform/uikit/UIKit.h"

#include <algorithm>
#include <filesystem>

using foundation::Error;
using foundation::ErrorCode;

MARQEL_DEFINE_CLASS(SettingsRootListController,
    method<&SettingsRootListController::entryRowTapped>("entryRowTapped:"))

namespace {

const std::string* stringIn(const PlistDict& dict, const char* key)
{
    const PlistValue* value = dict.find(key);
    return value ? value->get<std::string>() : nullptr;
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The icon's device path inside the bundle folder, or "" when the entry
// names none or one that would leave the folder: an entry file is anyone's
// to write, and its icon is read when the list is drawn.
std::string iconPathIn(const std::string& bundlePath, const std::string& icon, const std::string& entryPath)
{
    if (icon.empty())
        return "";
    std::filesystem::path relative(icon);
    bool leaves = relative.is_absolute()
        || std::any_of(relative.begin(), relative.end(), [](const std::filesystem::path& part) { return part == ".."; });
    if (leaves) {
        NSLog("Preferences: the settings entry %@ names the icon \"%@\", which is not inside its bundle; the row has no icon", entryPath, icon);
        return "";
    }
    return bundlePath + "/" + relative.lexically_normal().string();
}

// The icon as UIImage finds a bundle's images: the "@3x" and "@2x" files
// beside the one named win.
std::shared_ptr<UIImage> iconImage(const std::string& iconPath)
{
    if (iconPath.empty())
        return nullptr;
    std::filesystem::path path(iconPath);
    return UIImage::imageNamed(path.filename().string(), path.parent_path().string());
}

// Case does not separate labels, as in the phone's list; the exact text
// breaks ties so the order never depends on the folder's.
bool labelBefore(const SettingsRootListController::Entry& a, const SettingsRootListController::Entry& b)
{
    auto folded = [](const std::string& text) {
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return lower;
    };
    std::string left = folded(a.label), right = folded(b.label);
    if (left != right)
        return left < right;
    if (a.label != b.label)
        return a.label < b.label;
    return a.entryPath < b.entryPath;
}

}  // namespace

foundation::Result<SettingsRootListController::Entry> SettingsRootListController::entryFromPropertyList(const PlistValue& contents,
    const std::string& entryPath)
{
    const auto* top = contents.get<PlistDict>();
    const PlistValue* entryValue = top ? top->find("entry") : nullptr;
    const auto* entry = entryValue ? entryValue->get<PlistDict>() : nullptr;
    if (!entry)
        return Error { ErrorCode::UnreadableInput, "it has no \"entry\" dictionary" };
    const std::string* bundle = stringIn(*entry, "bundle");
    const std::string* bundlePath = stringIn(*entry, "bundlePath");
    if ((!bundle || bundle->empty()) && (!bundlePath || bundlePath->empty()))
        return Error { ErrorCode::NotFound, "it names no bundle (neither \"bundle\" nor \"bundlePath\")" };
    if (bundle && (bundle->find('/') != std::string::npos || *bundle == ".."))
        return Error { ErrorCode::InvalidArgument, "its bundle name \"" + *bundle + "\" is not a name" };
    Entry result;
    result.entryPath = entryPath;
    if (bundlePath && !bundlePath->empty()) {
        if (bundlePath->front() != '/')
            return Error { ErrorCode::InvalidArgument, "its bundlePath \"" + *bundlePath + "\" is not a full path" };
        result.bundlePath = withoutTrailingSlashes(*bundlePath);
    } else {
        result.bundlePath = std::string(defaultBundlesFolder) + "/" + *bundle + ".bundle";
    }
    if (const std::string* label = stringIn(*entry, "label"); label && !label->empty())
        result.label = *label;
    else if (bundle && !bundle->empty())
        result.label = *bundle;
    else
        result.label = std::filesystem::path(result.bundlePath).stem().string();
    if (const std::string* icon = stringIn(*entry, "icon"))
        result.iconPath = iconPathIn(result.bundlePath, *icon, entryPath);
    return result;
}

std::vector<SettingsRootListController::Entry> SettingsRootListController::readInstalledEntries()
{
    std::vector<Entry> entries;
    auto folder = DevicePath::toHost(entriesFolder);
    if (!folder) {
        NSLog("Preferences: no settings entries: %@", folder.message());
        return entries;
    }
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(folder.value(), error)) {
        std::string name = file.path().filename().string();
        if (file.path().extension() == ".plist")
            names.push_back(name);
    }
    // A missing folder is a phone without any entry; any other failure to
    // list it is worth a line.
    if (error && error != std::errc::no_such_file_or_directory)
        NSLog("Preferences: cannot list the settings entries in %@: %@", std::string(entriesFolder), error.message());
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        std::string devicePath = std::string(entriesFolder) + "/" + name;
        auto leftOut = [&](const std::string& why) { NSLog("Preferences: left out the settings entry %@: %@", devicePath, why); };
        auto host = DevicePath::toHost(devicePath);
        if (!host) {
            leftOut(host.message());
            continue;
        }
        auto contents = plist::readFile(host.value());
        if (!contents) {
            leftOut("it cannot be read: " + contents.message());
            continue;
        }
        auto entry = entryFromPropertyList(contents.value(), devicePath);
        if (!entry) {
            leftOut(entry.message());
            continue;
        }
        entries.push_back(entry.release());
    }
    std::stable_sort(entries.begin(), entries.end(), labelBefore);
    return entries;
}

SettingsRootListController::SettingsRootListController()
{
    setTitle("Settings");
}

void SettingsRootListController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto& root = *view();
    root.setBackgroundColor(UIColor::systemGroupedBackgroundColor());
    m_scrollView = root.add<UIScrollView>(root.bounds());
    m_scrollView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_entries = readInstalledEntries();
    buildRows();
}

void SettingsRootListController::buildRows()
{
    constexpr UIViewAutoresizing flexibleWidth = UIViewAutoresizingFlexibleWidth;
    const CGFloat width = m_scrollView->bounds().size.width;
    const CGFloat cardWidth = std::max<CGFloat>(width - 2 * sideInset, 1);
    m_rows.clear();
    if (m_entries.empty()) {
        // An empty grouped list would read as a screen that failed to draw.
        auto message = m_scrollView->add<UILabel>(CGRectMake(sideInset, topInset, cardWidth, rowHeight));
        message->setText("No settings are installed");
        message->setTextAlignment(NSTextAlignmentCenter);
        message->setTextColor(UIColor::secondaryLabelColor());
        message->setAutoresizingMask(flexibleWidth);
        m_scrollView->setContentSize({ width, topInset + rowHeight });
        return;
    }
    auto card = m_scrollView->add<UIView>(CGRectMake(sideInset, topInset, cardWidth, rowHeight * static_cast<CGFloat>(m_entries.size())));
    card->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
    card->layer()->setCornerRadius(10);
    card->setClipsToBounds(true);
    card->setAutoresizingMask(flexibleWidth);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        CGFloat y = rowHeight * static_cast<CGFloat>(i);
        auto row = card->add<UIControl>(CGRectMake(0, y, cardWidth, rowHeight));
        row->setTag(static_cast<std::int64_t>(i));
        row->setAutoresizingMask(flexibleWidth);
        row->addTarget(retained(), "entryRowTapped:", UIControlEventTouchUpInside);

        auto icon = row->add<UIImageView>(CGRectMake(iconInset, (rowHeight - iconSize) / 2, iconSize, iconSize));
        icon->setContentMode(UIViewContentModeScaleAspectFit);
        icon->layer()->setCornerRadius(7);
        icon->setClipsToBounds(true);
        icon->setImage(iconImage(entry.iconPath));
        // The phone leaves a blank tile where an entry has no picture.
        if (!icon->image())
            icon->setBackgroundColor(UIColor::systemGrayColor());

        auto label = row->add<UILabel>(CGRectMake(labelInset, 0, cardWidth - labelInset - 36, rowHeight));
        label->setText(entry.label);
        label->setAutoresizingMask(flexibleWidth);

        auto chevron = row->add<UILabel>(CGRectMake(cardWidth - 28, 0, 14, rowHeight));
        chevron->setText("›");
        chevron->setFont(UIFont::systemFontOfSize(22));
        chevron->setTextColor(UIColor::tertiaryLabelColor());
        chevron->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);

        if (i + 1 < m_entries.size()) {
            auto separator = row->add<UIView>(CGRectMake(labelInset, rowHeight - 0.5, cardWidth - labelInset, 0.5));
            separator->setBackgroundColor(UIColor::separatorColor());
            separator->setUserInteractionEnabled(false);
            separator->setAutoresizingMask(flexibleWidth);
        }
        m_rows.push_back(row);
    }
    m_scrollView->setContentSize({ width, topInset + card->frame().size.height + topInset });
}

void SettingsRootListController::entryRowTapped(const std::shared_ptr<UIView>& sender)
{
    if (!sender || sender->tag() < 0 || static_cast<std::size_t>(sender->tag()) >= m_entries.size())
        return;
    // The alert already says what went wrong; nothing more to do here.
    (void)open(m_entries[static_cast<std::size_t>(sender->tag())]);
}

foundation::Status SettingsRootListController::openEntry(const std::string& label)
{
    loadViewIfNeeded();
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) { return entry.label == label; });
    if (found == m_entries.end()) {
        std::string labels;
        for (const auto& entry : m_entries)
            labels += (labels.empty() ? "" : ", ") + entry.label;
        return Error { ErrorCode::NotFound,
            "no settings entry is labelled \"" + label + "\" (the list shows: " + (labels.empty() ? "nothing" : labels) + ")" };
    }
    return open(*found);
}

foundation::Status SettingsRootListController::open(const Entry& entry)
{
    auto navigation = navigationController();
    if (!navigation)
        return Error { ErrorCode::InvalidState, "the settings list is in no navigation controller, so it cannot open " + entry.label };
    auto controller = SettingsAppHost::instantiatePrincipalController(entry.bundlePath);
    if (!controller) {
        NSLog("Preferences: cannot open %@ (entry %@): %@", entry.label, entry.entryPath, controller.message());
        auto alert = UIAlertController::alertControllerWithTitle("Cannot Open " + entry.label, controller.message(), UIAlertControllerStyleAlert);
        alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
        presentViewController(alert, true, nullptr);
        return controller.error();
    }
    navigation->pushViewController(controller.value(), true);
    return {};
}
