#pragma once

// The phone's notification centre as the user sees it: every notice the
// bulletin server published or the dispatcher delivered, kept in a file
// under the device root so other processes (the `marqel notices` command)
// can read it, and a tap that performs the notice's default action.

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Result.h"
#include "platform/springboard/Forward.h"

#include <mutex>
#include <string>
#include <vector>

struct Notice {
    std::string section;
    std::string title;
    std::string message;
    std::string bulletinID;
    std::string recordID;
    std::string publisherBulletinID;
    double date = 0;
    std::string launchBundleID;  // what a tap opens; empty for none
    std::uint64_t destinations = 0;
    bool onServerQueue = false;
    std::string setters;  // the bulletin's setters in the order they were sent, comma-separated
};

class NoticeCenter {
public:
    static constexpr const char* devicePath = "/var/mobile/Library/SpringBoard/Notices.plist";
    static NoticeCenter& shared();

    void add(const Notice& notice);
    static Notice fromBulletin(const BBBulletin& bulletin, std::uint64_t destinations, bool onServerQueue);
    static Notice fromRequest(const NCNotificationRequest& request);

    // Read from the file, so any process sees them.
    static std::vector<Notice> notices();
    // Why the file cannot be read, if it cannot (notices() then reads as
    // none); a missing file is no failure.
    static foundation::Status readable();
    static std::vector<std::string> launches();
    // Performs a notice's default action: launching an application is
    // recorded as a launch. Returns the launched bundle, or empty for a
    // notice that does nothing when tapped.
    foundation::Result<std::string> tap(std::size_t index);
    // The same for a notice in hand (a banner's).
    foundation::Result<std::string> open(const Notice& notice);
    void clear();

private:
    // Appends to the file; called with the mutex held.
    foundation::Status keep(const Notice& notice);

    std::mutex m_mutex;
};
