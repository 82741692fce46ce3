#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace av {

// Hands items from one thread to another, holding at most `capacity` so a
// fast producer waits instead of piling up decoded pictures. close() wakes
// both sides: a producer's push fails from then on, a consumer's pop drains
// what is left and then gets nothing.
template <class T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity)
        : m_capacity(capacity ? capacity : 1)
    {
    }

    bool push(T item)
    {
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [this] { return m_closed || m_items.size() < m_capacity; });
        if (m_closed)
            return false;
        m_items.push_back(std::move(item));
        m_notEmpty.notify_one();
        return true;
    }

    std::optional<T> pop()
    {
        std::unique_lock lock(m_mutex);
        m_notEmpty.wait(lock, [this] { return m_closed || !m_items.empty(); });
        if (m_items.empty())
            return std::nullopt;
        T item = std::move(m_items.front());
        m_items.pop_front();
        m_notFull.notify_one();
        return item;
    }

    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_notFull.notify_all();
        m_notEmpty.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_notFull;
    std::condition_variable m_notEmpty;
    std::deque<T> m_items;
    const size_t m_capacity;
    bool m_closed = false;
};

}  // namespace av
