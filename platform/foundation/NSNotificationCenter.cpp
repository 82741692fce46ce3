#include "platform/foundation/NSNotificationCenter.h"

MARQEL_DEFINE_CLASS(NSNotification)
MARQEL_DEFINE_CLASS(NSNotificationCenter,
    method<&NSNotificationCenter::postNotificationName>("postNotificationName:object:"),
    method<&NSNotificationCenter::addObserver>("addObserver:selector:name:object:"))

std::shared_ptr<NSNotificationCenter> NSNotificationCenter::defaultCenter()
{
    static auto* center = new std::shared_ptr<NSNotificationCenter>(alloc<NSNotificationCenter>());
    return *center;
}

void NSNotificationCenter::addObserver(const id& observer, SEL selector, const std::string& name, const id& object)
{
    if (!observer || !selector)
        return;
    std::lock_guard lock(m_mutex);
    m_observers.push_back({ observer, selector, name, object, object == nullptr });
}

void NSNotificationCenter::removeObserver(const id& observer)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [&](const Observer& o) {
        auto strong = o.observer.lock();
        return !strong || strong == observer;
    });
}

void NSNotificationCenter::postNotificationName(const std::string& name, const id& object)
{
    postNotification(alloc<NSNotification>(name, object));
}

void NSNotificationCenter::postNotification(const std::shared_ptr<NSNotification>& notification)
{
    std::vector<std::pair<id, SEL>> targets;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_observers, [](const Observer& o) { return o.observer.expired(); });
        for (const auto& o : m_observers) {
            if (!o.name.empty() && o.name != notification->name())
                continue;
            if (!o.anyObject && o.object.lock() != notification->object())
                continue;
            if (auto strong = o.observer.lock())
                targets.emplace_back(strong, o.selector);
        }
    }
    // Delivered outside the lock: an observer may post or observe in turn.
    for (const auto& [observer, selector] : targets)
        performAction(observer, selector, notification);
}

std::size_t NSNotificationCenter::observerCount() const
{
    std::lock_guard lock(m_mutex);
    return m_observers.size();
}
