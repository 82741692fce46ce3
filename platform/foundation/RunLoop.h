#pragma once

// The main run loop: a queue of tasks, timers on the loop's clock, and the
// count of work in flight on other threads.
//
// With the virtual clock the loop advances time only when the main queue
// has nothing runnable and no work is in flight; while work is in flight it
// keeps serving the main queue (a background thread may dispatch_sync onto
// it) and otherwise blocks until the work posts back. A run is therefore the
// same on any machine, and real work takes no virtual time.

#include "platform/foundation/Clock.h"
#include "platform/foundation/Forward.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class RunLoop {
public:
    using Task = std::function<void()>;

    static RunLoop& main();
    // Starts afresh with a new clock; pending tasks and timers are dropped.
    // The calling thread becomes the main thread.
    void reset(ClockKind kind);

    Clock& clock() { return *m_clock; }
    double now() const { return m_clock->now(); }
    bool isMainThread() const { return std::this_thread::get_id() == m_mainThread; }

    void post(Task task);
    // Runs `task` at `time` on `queue` (the main queue when null).
    void schedule(double time, Task task, std::shared_ptr<DispatchQueue> queue = nullptr);

    // In-flight tokens: taken by work that will post back to the main queue.
    void beginWork();
    void endWork();
    int workInFlight() const;

    // Runs tasks and timers until `seconds` of clock time have passed.
    void runFor(double seconds);
    // Runs until `done` holds (checked after every task) or `timeout` seconds
    // of clock time have passed. Returns whether `done` held.
    bool runUntil(const std::function<bool()>& done, double timeout);
    // Runs what is runnable now, and waits for work in flight, without
    // moving the clock.
    void drain();
    void stop();

    // Stopping from a signal handler: the handler may not take the loop's
    // mutex (the interrupted thread may hold it), so it only sets a flag and
    // writes a byte to a pipe; a waker thread then rouses the loop. The
    // request stays in force: every run finishes at once until it is cleared.
    // Installs handlers for `signals` that request a stop. A second signal,
    // of any of them, while the request stands ends the process by its
    // default action: a process stuck where it cannot see the request can
    // still be stopped.
    static void stopOnSignals(std::initializer_list<int> signals);
    // Async-signal-safe.
    static void requestStopFromSignal() noexcept;
    static bool stopRequestedBySignal() noexcept { return s_signalledStop.load(std::memory_order_acquire); }
    static void clearSignalledStop() noexcept { s_signalledStop.store(false, std::memory_order_release); }
    // Work for the end of each turn of the loop: after every task and timer
    // that runs on the main thread, and when a run begins (which ends the
    // turn of the code that started it). The UI lays out here, as the phone
    // does before it commits a frame. Observers stay for the life of the
    // process and run on the main thread only.
    void addTurnObserver(Task observer);

private:
    RunLoop();
    enum class Step { RanTask,
        Waited,
        Finished };
    // On the real clock a wait also ends once work ends that `workSeen`
    // (an earlier workEndedCount()) had not counted; it is brought up to date.
    Step step(double deadline, bool advanceTime, std::uint64_t& workSeen);
    std::uint64_t workEndedCount() const;
    bool shouldStop() const { return m_stopped || stopRequestedBySignal(); }
    static void startSignalWaker();

    static std::atomic<bool> s_signalledStop;
    static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch lock-free atomics");
    void endTurn();

    struct Timer {
        Task task;
        std::shared_ptr<DispatchQueue> queue;
    };

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::unique_ptr<Clock> m_clock;
    std::deque<Task> m_tasks;
    std::multimap<std::pair<double, std::uint64_t>, Timer> m_timers;
    std::uint64_t m_sequence = 0;
    int m_inFlight = 0;
    std::uint64_t m_workEnded = 0;  // counts endWork() calls, to wake a waiting real-clock run
    bool m_stopped = false;
    std::thread::id m_mainThread;
    std::vector<Task> m_turnObservers;  // main thread only
};

// Holds an in-flight token for its lifetime.
class WorkToken {
public:
    WorkToken() { RunLoop::main().beginWork(); }
    ~WorkToken() { RunLoop::main().endWork(); }
    WorkToken(const WorkToken&) = delete;
    WorkToken& operator=(const WorkToken&) = delete;
};
