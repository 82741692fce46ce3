#include "platform/springboard/NoticeCenter.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/BBBulletin.h"
#include "platform/springboard/NCNotificationDispatcher.h"

namespace {

// No file yet is an empty centre; a file that cannot be read is a failure,
// so that nothing is written over the notices it still holds.
foundation::Result<PlistDict> load()
{
    auto value = plist::readFile(TRY(DevicePath::toHost(NoticeCenter::devicePath)));
    if (!value)
        return value.code() == foundation::ErrorCode::NotFound ? foundation::Result<PlistDict>(PlistDict {}) : value.error();
    if (!value.value().is<PlistDict>())
        return foundation::Error { foundation::ErrorCode::UnreadableInput, std::string(NoticeCenter::devicePath) + " is not a dictionary" };
    return *value.value().get<PlistDict>();
}

// Readers in other processes only ever see whole files.
PlistDict loadForReading()
{
    auto contents = load();
    if (!contents) {
        NSLog("SpringBoard: cannot read the notices: %@", contents.message());
        return {};
    }
    return contents.release();
}

foundation::Status save(const PlistDict& contents)
{
    TRY(DevicePath::makeParents(NoticeCenter::devicePath));
    return plist::writeFileAtomically(PlistValue(contents), TRY(DevicePath::toHost(NoticeCenter::devicePath)));
}

std::string text(const PlistDict& dict, const char* key)
{
    const PlistValue* v = dict.find(key);
    return v && v->is<std::string>() ? *v->get<std::string>() : std::string();
}

}  // namespace

NoticeCenter& NoticeCenter::shared()
{
    static auto* center = new NoticeCenter;
    return *center;
}

Notice NoticeCenter::fromBulletin(const BBBulletin& bulletin, std::uint64_t destinations, bool onServerQueue)
{
    Notice n;
    n.section = bulletin.sectionID();
    n.title = bulletin.title();
    n.message = bulletin.message();
    n.bulletinID = bulletin.bulletinID();
    n.recordID = bulletin.recordID();
    n.publisherBulletinID = bulletin.publisherBulletinID();
    n.date = bulletin.date() ? bulletin.date()->timeIntervalSince1970() : 0;
    n.launchBundleID = bulletin.defaultAction() ? bulletin.defaultAction()->launchBundleID() : "";
    n.destinations = destinations;
    n.onServerQueue = onServerQueue;
    for (const auto& setter : bulletin.setterLog())
        n.setters += (n.setters.empty() ? "" : ",") + setter;
    return n;
}

Notice NoticeCenter::fromRequest(const NCNotificationRequest& request)
{
    Notice n;
    n.section = request.sectionIdentifier();
    n.title = request.title();
    n.message = request.message();
    n.date = RunLoop::main().clock().epochSeconds();
    return n;
}

void NoticeCenter::add(const Notice& notice)
{
    std::lock_guard lock(m_mutex);
    if (auto kept = keep(notice); !kept)
        NSLog("SpringBoard: notice [%@] %@ not kept: %@", notice.section, notice.title, kept.message());
    NSLog("SpringBoard: notice [%@] %@: %@", notice.section, notice.title, notice.message);
}

foundation::Status NoticeCenter::keep(const Notice& notice)
{
    auto contents = TRY(load());
    PlistArray list;
    if (const PlistValue* existing = contents.find("notices"); existing && existing->is<PlistArray>())
        list = *existing->get<PlistArray>();
    PlistDict entry;
    entry.set("section", PlistValue(notice.section));
    entry.set("title", PlistValue(notice.title));
    entry.set("message", PlistValue(notice.message));
    entry.set("bulletinID", PlistValue(notice.bulletinID));
    entry.set("recordID", PlistValue(notice.recordID));
    entry.set("publisherBulletinID", PlistValue(notice.publisherBulletinID));
    entry.set("date", PlistValue(PlistDate { notice.date }));
    entry.set("launchBundleID", PlistValue(notice.launchBundleID));
    entry.set("destinations", PlistValue(static_cast<std::int64_t>(notice.destinations)));
    entry.set("onServerQueue", PlistValue(notice.onServerQueue));
    entry.set("setters", PlistValue(notice.setters));
    list.push_back(PlistValue(entry));
    contents.set("notices", PlistValue(list));
    return save(contents);
}

foundation::Status NoticeCenter::readable()
{
    TRY(load());
    return {};
}

std::vector<Notice> NoticeCenter::notices()
{
    std::vector<Notice> out;
    PlistDict contents = loadForReading();
    const PlistValue* list = contents.find("notices");
    if (!list || !list->is<PlistArray>())
        return out;
    for (const auto& item : *list->get<PlistArray>()) {
        const PlistDict* d = item.get<PlistDict>();
        if (!d)
            continue;
        Notice n;
        n.section = text(*d, "section");
        n.title = text(*d, "title");
        n.message = text(*d, "message");
        n.bulletinID = text(*d, "bulletinID");
        n.recordID = text(*d, "recordID");
        n.publisherBulletinID = text(*d, "publisherBulletinID");
        n.launchBundleID = text(*d, "launchBundleID");
        n.setters = text(*d, "setters");
        if (const PlistValue* date = d->find("date"); date && date->is<PlistDate>())
            n.date = date->get<PlistDate>()->secondsSince1970;
        if (const PlistValue* dest = d->find("destinations"); dest && dest->is<std::int64_t>())
            n.destinations = static_cast<std::uint64_t>(*dest->get<std::int64_t>());
        if (const PlistValue* q = d->find("onServerQueue"); q && q->is<bool>())
            n.onServerQueue = *q->get<bool>();
        out.push_back(n);
    }
    return out;
}

std::vector<std::string> NoticeCenter::launches()
{
    std::vector<std::string> out;
    PlistDict contents = loadForReading();
    if (const PlistValue* list = contents.find("launches"); list && list->is<PlistArray>())
        for (const auto& item : *list->get<PlistArray>())
            if (item.is<std::string>())
                out.push_back(*item.get<std::string>());
    return out;
}

foundation::Result<std::string> NoticeCenter::tap(std::size_t index)
{
    auto all = notices();
    if (index >= all.size())
        return std::string();
    return open(all[index]);
}

foundation::Result<std::string> NoticeCenter::open(const Notice& notice)
{
    if (notice.launchBundleID.empty())
        return std::string();
    const std::string& bundle = notice.launchBundleID;
    std::lock_guard lock(m_mutex);
    auto contents = TRY(load());
    PlistArray list;
    if (const PlistValue* existing = contents.find("launches"); existing && existing->is<PlistArray>())
        list = *existing->get<PlistArray>();
    list.push_back(PlistValue(bundle));
    contents.set("launches", PlistValue(list));
    if (auto saved = save(contents); !saved)
        return foundation::Error { saved.code(), "the launch of " + bundle + " is not recorded: " + saved.message() };
    NSLog("SpringBoard: launched %@", bundle);
    // A recording's notice opens Photos where the recording is.
    std::string url = bundle == AppLauncher::photosBundleIdentifier ? AppLauncher::newestVideoURL : "";
    if (auto launched = AppLauncher::shared().launch(bundle, url); !launched)
        return foundation::Error { launched.code(), "cannot open " + bundle + ": " + launched.message() };
    return bundle;
}

void NoticeCenter::clear()
{
    std::lock_guard lock(m_mutex);
    if (auto saved = save(PlistDict {}); !saved)
        NSLog("SpringBoard: cannot clear the notices: %@", saved.message());
}
