#include "platform/foundation/Foundation.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <future>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(RunLoop, DelayedWorkRunsAtItsVirtualTimeInOrder)
{
    TestDevice device;
    std::vector<std::pair<std::string, double>> ran;
    auto main = dispatch_get_main_queue();
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 500000000), main, [&] { ran.emplace_back("half", RunLoop::main().now()); });
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 200000000), main, [&] {
        ran.emplace_back("fifth", RunLoop::main().now());
        dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 200000000), main, [&] { ran.emplace_back("nested", RunLoop::main().now()); });
    });
    dispatch_async(main, [&] { ran.emplace_back("now", RunLoop::main().now()); });
    RunLoop::main().runFor(0.3);
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_EQ(ran[0].first, "now");
    EXPECT_DOUBLE_EQ(ran[1].second, 0.2);
    EXPECT_DOUBLE_EQ(RunLoop::main().now(), 0.3);
    RunLoop::main().runFor(1);
    ASSERT_EQ(ran.size(), 4u);
    EXPECT_EQ(ran[2].first, "nested");
    EXPECT_NEAR(ran[2].second, 0.4, 1e-9);
    EXPECT_EQ(ran[3].first, "half");
    EXPECT_NEAR(RunLoop::main().now(), 1.3, 1e-9);
}

TEST(RunLoop, VirtualTimeWaitsForWorkInFlightOnOtherQueues)
{
    TestDevice device;
    auto worker = dispatch_queue_create("test.worker");
    std::atomic<bool> started { false };
    double postedAt = -1;
    dispatch_async(worker, [&] {
        started = true;
        // Real work takes real time but no virtual time.
        volatile std::uint64_t sum = 0;
        for (std::uint64_t i = 0; i < 20000000; ++i)
            sum = sum + i * i;
        dispatch_async(dispatch_get_main_queue(), [&] { postedAt = RunLoop::main().now(); });
    });
    bool timerFired = false;
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_SEC), dispatch_get_main_queue(), [&] { timerFired = true; });
    RunLoop::main().runFor(2);
    EXPECT_TRUE(started);
    EXPECT_DOUBLE_EQ(postedAt, 0.0) << "the worker's result must arrive before the clock moves";
    EXPECT_TRUE(timerFired);
}

TEST(RunLoop, BackgroundSyncOntoTheMainQueueIsServedWhileWaiting)
{
    TestDevice device;
    auto worker = dispatch_queue_create("test.sync");
    int value = 0;
    dispatch_async(worker, [&] {
        EXPECT_TRUE(dispatch_sync(dispatch_get_main_queue(), [&] { value = 7; }));
    });
    RunLoop::main().drain();
    EXPECT_EQ(value, 7);
}

TEST(RunLoop, SyncOntoTheCurrentQueueIsRefusedNotADeadlock)
{
    TestDevice device;
    auto queue = dispatch_queue_create("test.self");
    bool inner = false, refused = false;
    dispatch_async(queue, [&] { refused = !dispatch_sync(queue, [&] { inner = true; }); });
    RunLoop::main().drain();
    EXPECT_TRUE(refused);
    EXPECT_FALSE(inner);
    EXPECT_FALSE(dispatch_sync(dispatch_get_main_queue(), [] {}));
    EXPECT_FALSE(dispatch_sync(nullptr, [] {}));
    auto lines = SystemLog::shared().lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("refused"), std::string::npos);
}

TEST(RunLoop, RunUntilStopsAtTheConditionOrTheTimeout)
{
    TestDevice device;
    bool flag = false;
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 3 * NSEC_PER_SEC), dispatch_get_main_queue(), [&] { flag = true; });
    EXPECT_FALSE(RunLoop::main().runUntil([&] { return flag; }, 1));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return flag; }, 10));
    EXPECT_DOUBLE_EQ(RunLoop::main().now(), 3.0);
}

TEST(RunLoop, AStopRequestedFromASignalEndsEveryRunUntilCleared)
{
    TestDevice device;
    RunLoop::stopOnSignals({ SIGUSR1 });
    bool ran = false;
    dispatch_async(dispatch_get_main_queue(), [&] {
        ran = true;
        std::raise(SIGUSR1);
    });
    RunLoop::main().runFor(10);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(RunLoop::stopRequestedBySignal());
    EXPECT_DOUBLE_EQ(RunLoop::main().now(), 0.0) << "the run ended where the signal came, not at its deadline";
    // It stays in force: a later run, or a reset, does not lose it.
    RunLoop::main().reset(ClockKind::Virtual);
    RunLoop::main().runFor(10);
    EXPECT_DOUBLE_EQ(RunLoop::main().now(), 0.0);
    RunLoop::clearSignalledStop();
    RunLoop::main().runFor(1);
    EXPECT_DOUBLE_EQ(RunLoop::main().now(), 1.0);
    std::signal(SIGUSR1, SIG_DFL);
}

// The first TERM asks for an orderly stop; a process that never gets to
// act on it (stuck in a call that does not return) still ends on the
// second, of either signal, by that signal's default action.
TEST(RunLoop, ASecondSignalEndsAProcessThatDidNotStop)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RunLoop::stopOnSignals({ SIGINT, SIGTERM });
            std::raise(SIGTERM);
            if (!RunLoop::stopRequestedBySignal())
                std::_Exit(3);
            std::raise(SIGINT);
            std::_Exit(4);
        },
        testing::KilledBySignal(SIGINT), "");
}

TEST(RunLoop, ASignalWakesARealClockLoopThatIsWaiting)
{
    TestDevice device;
    RunLoop::main().reset(ClockKind::Real);
    RunLoop::stopOnSignals({ SIGUSR1 });
    // The signal may come before the loop waits, or while it waits; either
    // way the hour-long run ends. Should the loop not wake, the test hangs
    // and the suite's timeout reports it.
    pthread_t mainThread = pthread_self();
    std::thread sender([mainThread] { pthread_kill(mainThread, SIGUSR1); });
    RunLoop::main().runFor(3600);
    sender.join();
    EXPECT_TRUE(RunLoop::stopRequestedBySignal());
    EXPECT_LT(RunLoop::main().now(), 3600);
    RunLoop::clearSignalledStop();
    std::signal(SIGUSR1, SIG_DFL);
}

TEST(RunLoop, WorkEndingOnAnotherQueueWakesARealClockRunUntil)
{
    TestDevice device;
    RunLoop::main().reset(ClockKind::Real);
    // Nothing is posted to the main queue: the condition comes true on the
    // other queue alone, as a notice posted from the bulletin server's
    // queue. Should the loop not look again when that work ends, the run
    // sleeps to its hour-long timeout and the suite's timeout reports it.
    auto queue = dispatch_queue_create("com.example.elsewhere");
    std::atomic<bool> posted { false };
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    bool looked = false;
    // The work starts only once the run has looked at the condition, so it
    // ends while the run waits (or is about to).
    dispatch_async(queue, [&posted, started] {
        started.wait();
        posted = true;
    });
    const double before = RunLoop::main().now();
    const bool done = RunLoop::main().runUntil(
        [&] {
            if (!looked) {
                looked = true;
                go.set_value();
            }
            return posted.load();
        },
        3600);
    EXPECT_TRUE(done);
    EXPECT_LT(RunLoop::main().now() - before, 3600);
}

TEST(RunLoop, TurnObserversRunWhenARunBeginsAndAfterEveryMainTask)
{
    TestDevice device;
    // Observers stay for the life of the process: this one writes only while
    // the test watches.
    static std::vector<std::string>* watched = nullptr;
    RunLoop::main().addTurnObserver([] {
        if (watched)
            watched->push_back("turn");
    });
    std::vector<std::string> trace;
    watched = &trace;
    dispatch_async(dispatch_get_main_queue(), [&] { trace.push_back("task"); });
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 1 * NSEC_PER_SEC), dispatch_get_main_queue(), [&] { trace.push_back("timer"); });
    RunLoop::main().runFor(2);
    watched = nullptr;
    EXPECT_EQ(trace, (std::vector<std::string> { "turn", "task", "turn", "timer", "turn" }));
}

}  // namespace
