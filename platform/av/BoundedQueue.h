#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace av {

// Hands items from one thread to another, holding at most `capacity` so a
// fast producer waits instead of piling up decoded pictures. close() wakes
// both sides: a producer's push fails from then on, a consumer's pop drains
// what is left and then gets nothing.
//
// Small items (an audio packet between pictures) may have room of their
// own, `smallCapacity` of them beside the large ones: counted with the
// pictures, a run of packets would fill the queue and leave the consumer
// without a picture while the producer waits. Without room of their own
// they count as large.
template <class T>
class BoundedQueue {
public:
    enum class ItemSize { Large,
        Small };

    explicit BoundedQueue(size_t capacity, size_t smallCapacity = 0)
        : m_capacity(capacity ? capacity : 1)
        , m_smallCapacity(smallCapacity)
    {
    }

    bool push(T item, ItemSize size = ItemSize::Large)
    {
        const bool small = size == ItemSize::Small && m_smallCapacity > 0;
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [this, small] {
            return m_closed || (small ? m_small < m_smallCapacity : m_large < m_capacity);
        });
        if (m_closed)
            return false;
        m_items.emplace_back(std::move(item), small);
        ++(small ? m_small : m_large);
        m_notEmpty.notify_one();
        return true;
    }

    std::optional<T> pop()
    {
        std::unique_lock lock(m_mutex);
        m_notEmpty.wait(lock, [this] { return m_closed || !m_items.empty(); });
        if (m_items.empty())
            return std::nullopt;
        auto [item, small] = std::move(m_items.front());
        m_items.pop_front();
        --(small ? m_small : m_large);
        // Producers of either size may be waiting.
        m_notFull.notify_all();
        return std::move(item);
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
    std::deque<std::pair<T, bool>> m_items;  // each with whether it is small
    const size_t m_capacity;
    const size_t m_smallCapacity;
    size_t m_large = 0;
    size_t m_small = 0;
    bool m_closed = false;
};

}  // namespace av
