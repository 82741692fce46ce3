#include "platform/springboard/NCNotificationDispatcher.h"

MARQEL_DEFINE_CLASS(NCNotificationRequest,
    method<&NCNotificationRequest::sectionIdentifier>("sectionIdentifier"))
MARQEL_DEFINE_CLASS(NCNotificationDispatcher,
    method<&NCNotificationDispatcher::postNotificationWithRequest>("postNotificationWithRequest:"))

void NCNotificationDispatcher::postNotificationWithRequest(const std::shared_ptr<NCNotificationRequest>& request)
{
    if (!request)
        return;
    std::function<void(const std::shared_ptr<NCNotificationRequest>&)> observer;
    {
        std::lock_guard lock(m_mutex);
        m_delivered.push_back(request);
        observer = m_observer;
    }
    if (observer)
        observer(request);
}

std::vector<std::shared_ptr<NCNotificationRequest>> NCNotificationDispatcher::delivered() const
{
    std::lock_guard lock(m_mutex);
    return m_delivered;
}

void NCNotificationDispatcher::setDeliveryObserver(std::function<void(const std::shared_ptr<NCNotificationRequest>&)> observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}
