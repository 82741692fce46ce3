#pragma once

#include "platform/foundation/NSObjects.h"
#include "platform/runtime/ClassBuilder.h"

#include <functional>
#include <string>

// The bulletin board's action: what a tap on a notice does.
class BBAction : public Object {
    MARQEL_OBJECT(BBAction, Object)
public:
    // +actionWithLaunchBundleID:callblock:
    static id actionWithLaunchBundleID(const std::string& bundleID, std::function<void()> callblock);
    const std::string& launchBundleID() const { return m_launchBundleID; }
    const std::function<void()>& callblock() const { return m_callblock; }

private:
    std::string m_launchBundleID;
    std::function<void()> m_callblock;
};

// A notice as the bulletin server publishes it.
class BBBulletin : public Object {
    MARQEL_OBJECT(BBBulletin, Object)
public:
#define MARQEL_BULLETIN_PROPERTY(Type, getter, setter) \
    Type getter() const { return m_##getter; }         \
    void setter(Type value) { m_##getter = std::move(value); }

    MARQEL_BULLETIN_PROPERTY(std::string, title, setTitle)
    MARQEL_BULLETIN_PROPERTY(std::string, message, setMessage)
    MARQEL_BULLETIN_PROPERTY(std::string, sectionID, setSectionID)
    MARQEL_BULLETIN_PROPERTY(std::string, bulletinID, setBulletinID)
    MARQEL_BULLETIN_PROPERTY(std::string, recordID, setRecordID)
    MARQEL_BULLETIN_PROPERTY(std::string, publisherBulletinID, setPublisherBulletinID)
    MARQEL_BULLETIN_PROPERTY(std::shared_ptr<NSDate>, date, setDate)
    MARQEL_BULLETIN_PROPERTY(std::shared_ptr<BBAction>, defaultAction, setDefaultAction)
    MARQEL_BULLETIN_PROPERTY(bool, clearable, setClearable)
    MARQEL_BULLETIN_PROPERTY(bool, showsMessagePreview, setShowsMessagePreview)
    MARQEL_BULLETIN_PROPERTY(std::shared_ptr<NSDate>, publicationDate, setPublicationDate)
    MARQEL_BULLETIN_PROPERTY(std::shared_ptr<NSDate>, lastInterruptDate, setLastInterruptDate)
    MARQEL_BULLETIN_PROPERTY(bool, turnsOnDisplay, setTurnsOnDisplay)
#undef MARQEL_BULLETIN_PROPERTY

    // The order in which setters were sent, for checking how a notice was built.
    const std::vector<std::string>& setterLog() const { return m_setterLog; }
    void noteSetter(const char* selector) { m_setterLog.emplace_back(selector); }

private:
    std::string m_title, m_message, m_sectionID, m_bulletinID, m_recordID, m_publisherBulletinID;
    std::shared_ptr<NSDate> m_date, m_publicationDate, m_lastInterruptDate;
    std::shared_ptr<BBAction> m_defaultAction;
    bool m_clearable = false;
    bool m_showsMessagePreview = false;
    bool m_turnsOnDisplay = true;
    std::vector<std::string> m_setterLog;
};
