#pragma once

#include "platform/runtime/ClassBuilder.h"

#include <mutex>
#include <string>
#include <vector>

class NSNotification : public Object {
    MARQEL_OBJECT(NSNotification, Object)
public:
    NSNotification() = default;
    NSNotification(std::string name, id object)
        : m_name(std::move(name))
        , m_object(std::move(object))
    {
    }
    const std::string& name() const { return m_name; }
    id object() const { return m_object; }
    std::string description() const override { return "NSNotification " + m_name; }

private:
    std::string m_name;
    id m_object;
};

// The process's notification centre. Observers are held weakly and receive
// their selector with the notification, synchronously, on the posting thread.
class NSNotificationCenter : public Object {
    MARQEL_OBJECT(NSNotificationCenter, Object)
public:
    static std::shared_ptr<NSNotificationCenter> defaultCenter();

    // An empty name observes every name; a null object every object.
    void addObserver(const id& observer, SEL selector, const std::string& name, const id& object);
    void removeObserver(const id& observer);
    void postNotificationName(const std::string& name, const id& object);
    void postNotification(const std::shared_ptr<NSNotification>& notification);
    std::size_t observerCount() const;

private:
    struct Observer {
        std::weak_ptr<Object> observer;
        SEL selector;
        std::string name;
        std::weak_ptr<Object> object;
        bool anyObject;
    };
    mutable std::mutex m_mutex;
    std::vector<Observer> m_observers;
};
