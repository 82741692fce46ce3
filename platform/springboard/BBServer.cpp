#include "platform/springboard/BBServer.h"

MARQEL_DEFINE_CLASS(BBServer,
    method<&BBServer::initWithQueue>("initWithQueue:"),
    method<&BBServer::initWithQueueEtc>("initWithQueue:dataProviderManager:syncService:dismissalSyncCache:observerListener:utilitiesListener:conduitListener:systemStateListener:settingsListener:"),
    method<&BBServer::publishBulletin>("publishBulletin:destinations:"))

id BBServer::initWithQueue(const std::shared_ptr<DispatchQueue>& queue)
{
    m_queue = queue;
    return retained();
}

id BBServer::initWithQueueEtc(const std::shared_ptr<DispatchQueue>& queue, id, id, id, id, id, id, id, id)
{
    return initWithQueue(queue);
}

void BBServer::publishBulletin(const std::shared_ptr<BBBulletin>& bulletin, std::uint64_t destinations)
{
    if (!bulletin)
        return;
    Publication publication { bulletin, destinations, m_queue && m_queue->isCurrent() };
    std::function<void(const Publication&)> observer;
    {
        std::lock_guard lock(m_mutex);
        m_published.push_back(publication);
        observer = m_observer;
    }
    if (observer)
        observer(publication);
}

std::vector<BBServer::Publication> BBServer::published() const
{
    std::lock_guard lock(m_mutex);
    return m_published;
}

void BBServer::setPublishObserver(std::function<void(const Publication&)> observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}
