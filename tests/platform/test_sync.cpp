#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <pthread.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long elapsed_ms(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

TEST(ReplySignal, IsBinaryDrainsAndEndsAWaitFromAnotherThread)
{
    ReplySignal s;
    EXPECT_FALSE(s.wait(0));
    s.release();
    s.release();  // already raised: no second count
    EXPECT_TRUE(s.is_raised());
    EXPECT_TRUE(s.wait(0));
    auto start = Clock::now();
    EXPECT_FALSE(s.wait(40));
    EXPECT_GE(elapsed_ms(start), 35);
    s.release();
    s.drain();
    EXPECT_FALSE(s.is_raised());
    EXPECT_FALSE(s.wait(0));

    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        s.release();
    });
    EXPECT_TRUE(s.wait(10000));
    t.join();
}

TEST(ReplySignal, PingPongLosesNoRelease)
{
    ReplySignal request;
    ReplySignal reply;
    constexpr int kRounds = 2000;
    std::atomic<int> answered{0};
    std::thread peer([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (!request.wait(5000))
                return;
            answered.fetch_add(1);
            reply.release();
        }
    });
    int ok = 0;
    for (int i = 0; i < kRounds; ++i) {
        request.release();
        ok += reply.wait(5000) ? 1 : 0;
    }
    peer.join();
    EXPECT_EQ(ok, kRounds);
    EXPECT_EQ(answered.load(), kRounds);
}

TEST(Event, StaysSetUntilReset)
{
    Event e;
    EXPECT_FALSE(e.is_set());
    EXPECT_FALSE(e.wait(10));
    e.set();
    EXPECT_TRUE(e.wait(0));
    EXPECT_TRUE(e.wait(0));  // manual reset: still set
    e.reset();
    EXPECT_FALSE(e.wait(10));

    auto waiter = std::async(std::launch::async, [&] { return e.wait(-1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    e.set();
    ASSERT_EQ(waiter.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(waiter.get());
}

// A new gate is closed and parks its thread; resume lets it run and close parks it again; a
// resume before the park is not lost; stop releases it for good.
TEST(ParkGate, ParksWhileClosedResumesAndStopsForGood)
{
    ParkGate gate;
    EXPECT_TRUE(gate.is_closed());
    EXPECT_FALSE(gate.wait_parked(10));
    std::atomic<int> rounds{0};
    std::thread t([&] {
        while (gate.park())
            rounds.fetch_add(1);
    });
    ASSERT_TRUE(gate.wait_parked(5000));
    EXPECT_EQ(rounds.load(), 0);
    gate.resume();
    const auto start = Clock::now();
    while (rounds.load() == 0 && elapsed_ms(start) < 5000)
        std::this_thread::yield();
    gate.close();
    EXPECT_GE(rounds.load(), 1);
    EXPECT_TRUE(gate.wait_parked(5000));
    gate.stop();
    t.join();
    EXPECT_TRUE(gate.stopped());
    EXPECT_FALSE(gate.is_parked());
    EXPECT_FALSE(gate.park());  // never blocks again

    ParkGate early;
    early.resume();
    auto parked = std::async(std::launch::async, [&] { return early.park(); });
    ASSERT_EQ(parked.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(parked.get());
}

// A stop that closes the gate again before the resumed thread has woken: the thread still comes
// out once (to see the stop and hand it on) and only then counts as parked again.
TEST(ParkGate, AResumeFollowedAtOnceByACloseIsNotLost)
{
    ParkGate gate;
    std::atomic<int> rounds{0};
    std::thread t([&] {
        while (gate.park())
            rounds.fetch_add(1);
    });
    int before = 0;
    for (int i = 1; i <= 100; ++i) {
        ASSERT_TRUE(gate.wait_parked(5000)) << i;
        gate.resume();
        EXPECT_FALSE(gate.is_parked()) << i;
        gate.close();
        ASSERT_TRUE(gate.wait_parked(5000)) << i;
        EXPECT_GT(rounds.load(), before) << i;  // more than one when it woke before the close
        before = rounds.load();
    }
    gate.stop();
    t.join();
}

TEST(ThreadPriority, TimeCriticalIsTakenOrLeftUnchanged)
{
    int policy_after = -1;
    bool taken = false;
    std::thread t([&] {
        taken = Thread_try_time_critical();
        sched_param p{};
        pthread_getschedparam(pthread_self(), &policy_after, &p);
    });
    t.join();
    EXPECT_EQ(policy_after, taken ? SCHED_FIFO : SCHED_OTHER);
}

}  // namespace
