#pragma once

#include "platform/runtime/ClassBuilder.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class NCNotificationRequest : public Object {
    MARQEL_OBJECT(NCNotificationRequest, Object)
public:
    NCNotificationRequest() = default;
    NCNotificationRequest(std::string sectionIdentifier, std::string title, std::string message)
        : m_sectionIdentifier(std::move(sectionIdentifier))
        , m_title(std::move(title))
        , m_message(std::move(message))
    {
    }
    std::string sectionIdentifier() const { return m_sectionIdentifier; }
    const std::string& title() const { return m_title; }
    const std::string& message() const { return m_message; }

private:
    std::string m_sectionIdentifier, m_title, m_message;
};

// The notification centre's dispatcher: every request it posts is delivered.
class NCNotificationDispatcher : public Object {
    MARQEL_OBJECT(NCNotificationDispatcher, Object)
public:
    void postNotificationWithRequest(const std::shared_ptr<NCNotificationRequest>& request);
    std::vector<std::shared_ptr<NCNotificationRequest>> delivered() const;
    void setDeliveryObserver(std::function<void(const std::shared_ptr<NCNotificationRequest>&)> observer);

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<NCNotificationRequest>> m_delivered;
    std::function<void(const std::shared_ptr<NCNotificationRequest>&)> m_observer;
};
