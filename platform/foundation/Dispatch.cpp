#include "platform/foundation/Dispatch.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/RunLoop.h"

#include <future>

MARQEL_DEFINE_CLASS(DispatchQueue)

DispatchQueue::DispatchQueue(std::string label, bool isMain)
    : m_label(std::move(label))
    , m_isMain(isMain)
{
    if (!m_isMain)
        m_thread = std::thread([this] { worker(); });
}

DispatchQueue::~DispatchQueue()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

bool DispatchQueue::isCurrent() const
{
    if (m_isMain)
        return RunLoop::main().isMainThread();
    return std::this_thread::get_id() == m_thread.get_id();
}

void DispatchQueue::async(dispatch_block_t block)
{
    if (m_isMain) {
        RunLoop::main().post(std::move(block));
        return;
    }
    // Work queued here is in flight until it has run, so the virtual clock
    // waits for it.
    RunLoop::main().beginWork();
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(block));
    }
    m_wake.notify_all();
}

bool DispatchQueue::sync(const dispatch_block_t& block)
{
    if (isCurrent())
        return false;
    if (m_isMain) {
        std::promise<void> done;
        RunLoop::main().post([&] {
            block();
            done.set_value();
        });
        done.get_future().wait();
        return true;
    }
    std::promise<void> done;
    async([&] {
        block();
        done.set_value();
    });
    done.get_future().wait();
    return true;
}

void DispatchQueue::worker()
{
    for (;;) {
        dispatch_block_t task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
        task = nullptr;  // release captures before the token, so their effects count as in flight
        RunLoop::main().endWork();
    }
}

dispatch_queue_t dispatch_get_main_queue()
{
    static auto* queue = new dispatch_queue_t(alloc<DispatchQueue>("com.apple.main-thread", true));
    return *queue;
}

dispatch_queue_t dispatch_queue_create(const std::string& label) { return alloc<DispatchQueue>(label); }

dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t deltaNanoseconds)
{
    dispatch_time_t base = when == DISPATCH_TIME_NOW ? static_cast<dispatch_time_t>(RunLoop::main().now() * 1e9 + 0.5) : when;
    return base + static_cast<dispatch_time_t>(deltaNanoseconds);
}

void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block)
{
    if (queue)
        queue->async(std::move(block));
}

bool dispatch_sync(const dispatch_queue_t& queue, const dispatch_block_t& block)
{
    if (!queue) {
        NSLog("dispatch: dispatch_sync onto a null queue refused");
        return false;
    }
    if (!queue->sync(block)) {
        NSLog("dispatch: dispatch_sync onto %s from that same queue would deadlock; refused", queue->label().c_str());
        return false;
    }
    return true;
}

void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block)
{
    RunLoop::main().schedule(static_cast<double>(when) / 1e9, std::move(block), queue);
}
