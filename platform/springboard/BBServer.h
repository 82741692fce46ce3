#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/springboard/BBBulletin.h"

#include <functional>
#include <mutex>
#include <vector>

// SpringBoard's bulletin server: publishes notices on its own queue.
class BBServer : public Object {
    MARQEL_OBJECT(BBServer, Object)
public:
    id initWithQueue(const std::shared_ptr<DispatchQueue>& queue);
    id initWithQueueEtc(const std::shared_ptr<DispatchQueue>& queue, id dataProviderManager, id syncService,
        id dismissalSyncCache, id observerListener, id utilitiesListener, id conduitListener,
        id systemStateListener, id settingsListener);
    void publishBulletin(const std::shared_ptr<BBBulletin>& bulletin, std::uint64_t destinations);

    std::shared_ptr<DispatchQueue> queue() const { return m_queue; }
    struct Publication {
        std::shared_ptr<BBBulletin> bulletin;
        std::uint64_t destinations;
        bool onServerQueue;
    };
    std::vector<Publication> published() const;
    // Called for every published notice (the notification centre keeps them).
    void setPublishObserver(std::function<void(const Publication&)> observer);

private:
    std::shared_ptr<DispatchQueue> m_queue;
    mutable std::mutex m_mutex;
    std::vector<Publication> m_published;
    std::function<void(const Publication&)> m_observer;
};
