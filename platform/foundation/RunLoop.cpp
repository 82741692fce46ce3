#include "platform/foundation/RunLoop.h"

#include "platform/foundation/Dispatch.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

std::atomic<bool> RunLoop::s_signalledStop { false };

namespace {
// The write end of the waker's pipe; -1 until stopOnSignals() made it.
std::atomic<int> signalPipeWriter { -1 };
}  // namespace

RunLoop& RunLoop::main()
{
    static RunLoop* loop = new RunLoop;  // outlives threads that post to it at exit
    return *loop;
}

RunLoop::RunLoop()
    : m_clock(std::make_unique<Clock>(ClockKind::Virtual))
    , m_mainThread(std::this_thread::get_id())
{
}

void RunLoop::reset(ClockKind kind)
{
    std::lock_guard lock(m_mutex);
    m_clock = std::make_unique<Clock>(kind);
    m_tasks.clear();
    m_timers.clear();
    m_stopped = false;
    m_mainThread = std::this_thread::get_id();
}

void RunLoop::post(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_all();
}

void RunLoop::schedule(double time, Task task, std::shared_ptr<DispatchQueue> queue)
{
    {
        std::lock_guard lock(m_mutex);
        m_timers.emplace(std::make_pair(time, m_sequence++), Timer { std::move(task), std::move(queue) });
    }
    m_wake.notify_all();
}

void RunLoop::beginWork()
{
    std::lock_guard lock(m_mutex);
    ++m_inFlight;
}

void RunLoop::endWork()
{
    {
        std::lock_guard lock(m_mutex);
        --m_inFlight;
        ++m_workEnded;
    }
    m_wake.notify_all();
}

std::uint64_t RunLoop::workEndedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_workEnded;
}

int RunLoop::workInFlight() const
{
    std::lock_guard lock(m_mutex);
    return m_inFlight;
}

void RunLoop::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_wake.notify_all();
}

void RunLoop::requestStopFromSignal() noexcept
{
    int savedErrno = errno;
    s_signalledStop.store(true, std::memory_order_release);
    int fd = signalPipeWriter.load(std::memory_order_acquire);
    if (fd >= 0) {
        char byte = 1;
        // A full pipe already holds a wake-up; nothing is lost by dropping this one.
        [[maybe_unused]] auto written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void RunLoop::startSignalWaker()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    std::thread([reader = fds[0]] {
        char buffer[64];
        for (;;) {
            auto got = ::read(reader, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return;
            RunLoop& loop = RunLoop::main();
            // Taking the mutex orders the wake-up after a waiter's check of the flag.
            {
                std::lock_guard lock(loop.m_mutex);
            }
            loop.m_wake.notify_all();
        }
    }).detach();
    signalPipeWriter.store(fds[1], std::memory_order_release);
}

void RunLoop::stopOnSignals(std::initializer_list<int> signals)
{
    static std::once_flag once;
    std::call_once(once, startSignalWaker);
    struct sigaction action { };
    // The first signal asks for an orderly stop. A second while that request
    // stands means the stop is not coming (the process is stuck in a call
    // that does not return), so it ends the process as if no handler were
    // there: the default action is restored and the signal raised again,
    // delivered once this returns.
    action.sa_handler = [](int signal) {
        if (RunLoop::stopRequestedBySignal()) {
            struct sigaction fallback { };
            fallback.sa_handler = SIG_DFL;
            sigemptyset(&fallback.sa_mask);
            ::sigaction(signal, &fallback, nullptr);
            ::raise(signal);
            return;
        }
        RunLoop::requestStopFromSignal();
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : signals)
        ::sigaction(signal, &action, nullptr);
}

RunLoop::Step RunLoop::step(double deadline, bool advanceTime, std::uint64_t& workSeen)
{
    std::unique_lock lock(m_mutex);
    if (stopRequestedBySignal())
        return Step::Finished;
    if (m_stopped) {
        m_stopped = false;
        return Step::Finished;
    }
    if (!m_tasks.empty()) {
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task();
        endTurn();
        return Step::RanTask;
    }
    bool isVirtual = m_clock->kind() == ClockKind::Virtual;
    double now = m_clock->now();
    // Timers that are due move to their queues in time order.
    if (!m_timers.empty() && m_timers.begin()->first.first <= now) {
        auto node = m_timers.extract(m_timers.begin());
        Timer timer = std::move(node.mapped());
        lock.unlock();
        if (timer.queue && !timer.queue->isMain()) {
            timer.queue->async(std::move(timer.task));
        } else {
            timer.task();
            endTurn();
        }
        return Step::RanTask;
    }
    if (isVirtual) {
        if (m_inFlight > 0) {
            m_wake.wait(lock, [&] { return !m_tasks.empty() || m_inFlight == 0 || shouldStop(); });
            return Step::Waited;
        }
        if (!advanceTime)
            return Step::Finished;
        double next = m_timers.empty() ? deadline : std::min(deadline, m_timers.begin()->first.first);
        m_clock->advanceTo(next);
        if (m_timers.empty() || m_timers.begin()->first.first > deadline)
            return Step::Finished;
        return Step::Waited;
    }
    if (now >= deadline)
        return Step::Finished;
    double next = m_timers.empty() ? deadline : std::min(deadline, m_timers.begin()->first.first);
    auto wait = std::chrono::duration<double>(std::max(0.0, next - now));
    // Work that ended on another thread may have made a run's condition
    // true without posting anything here (a notice from the bulletin
    // server's queue), so its end wakes the loop to look again.
    m_wake.wait_for(lock, wait, [&] { return !m_tasks.empty() || shouldStop() || m_workEnded != workSeen; });
    workSeen = m_workEnded;
    return Step::Waited;
}

void RunLoop::addTurnObserver(Task observer)
{
    m_turnObservers.push_back(std::move(observer));
}

void RunLoop::endTurn()
{
    if (!isMainThread())
        return;
    // By index: an observer may add another.
    for (std::size_t i = 0; i < m_turnObservers.size(); ++i)
        m_turnObservers[i]();
}

void RunLoop::runFor(double seconds)
{
    endTurn();
    double deadline = now() + seconds;
    std::uint64_t workSeen = workEndedCount();
    while (step(deadline, true, workSeen) != Step::Finished) { }
}

bool RunLoop::runUntil(const std::function<bool()>& done, double timeout)
{
    endTurn();
    double deadline = now() + timeout;
    // Read before the first look at `done`, so work that ends between that
    // look and the wait still wakes the wait.
    std::uint64_t workSeen = workEndedCount();
    if (done())
        return true;
    while (step(deadline, true, workSeen) != Step::Finished) {
        if (done())
            return true;
    }
    return done();
}

void RunLoop::drain()
{
    endTurn();
    double deadline = now();
    std::uint64_t workSeen = workEndedCount();
    while (step(deadline, false, workSeen) != Step::Finished) { }
}
