#pragma once

// libdispatch's stand-in: the main queue (served by the main run loop) and
// serial queues with a thread each. Delays run on the main loop's clock.

#include "platform/runtime/ClassBuilder.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

using dispatch_block_t = std::function<void()>;
using dispatch_time_t = std::uint64_t;  // nanoseconds of the main loop's clock
inline constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
inline constexpr std::int64_t NSEC_PER_SEC = 1000000000;

class DispatchQueue : public Object {
    MARQEL_OBJECT(DispatchQueue, Object)
public:
    DispatchQueue() = default;
    explicit DispatchQueue(std::string label, bool isMain = false);
    ~DispatchQueue() override;

    const std::string& label() const { return m_label; }
    bool isMain() const { return m_isMain; }
    bool isCurrent() const;
    void async(dispatch_block_t block);
    // Returns false, without running the block, when called from the queue
    // itself: that would deadlock.
    [[nodiscard]] bool sync(const dispatch_block_t& block);
    std::string description() const override { return "<OS_dispatch_queue_serial: " + m_label + ">"; }

private:
    void worker();

    std::string m_label;
    bool m_isMain = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<dispatch_block_t> m_tasks;
    bool m_stopping = false;
    std::thread m_thread;
};

using dispatch_queue_t = std::shared_ptr<DispatchQueue>;

dispatch_queue_t dispatch_get_main_queue();
dispatch_queue_t dispatch_queue_create(const std::string& label);
dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t deltaNanoseconds);
void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block);
// A sync onto the queue the caller is on is reported in the system log and
// runs nothing, instead of deadlocking. Returns whether the block ran.
bool dispatch_sync(const dispatch_queue_t& queue, const dispatch_block_t& block);
void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block);
