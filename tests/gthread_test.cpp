// The base library's thread as the controller drives it: a function<int> body
// called again and again between start() and stop(), with two hooks.
#include "platform/GThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "support/function.h"

namespace {

// Polls for at most two seconds, in steps of one millisecond.
bool eventually(const std::function<bool()>& condition) {
    for (int step = 0; step < 2000; ++step) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

// What the thread did, seen from outside. The thread ids are written on the
// thread and read after stop() has joined it.
class Probe {
  public:
    int body() {
        m_bodyThread = std::this_thread::get_id();
        m_bInside = true;
        ++m_nCalls;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (m_pStopFromBody && m_nSelfStopResult < 0) {
            m_nCallsAtSelfStop = m_nCalls.load();
            m_nSelfStopResult = m_pStopFromBody->stop() ? 1 : 0;
        }
        m_bInside = false;
        return 0;
    }
    int onStart() {
        m_startThread = std::this_thread::get_id();
        ++m_nStarts;
        return 0;
    }
    int onStop() {
        m_stopThread = std::this_thread::get_id();
        ++m_nStops;
        return 0;
    }

    std::atomic<int> m_nCalls{0};
    std::atomic<bool> m_bInside{false};
    std::atomic<int> m_nStarts{0};
    std::atomic<int> m_nStops{0};
    std::thread::id m_bodyThread;
    std::thread::id m_startThread;
    std::thread::id m_stopThread;
    GThread* m_pStopFromBody = nullptr;
    std::atomic<int> m_nSelfStopResult{-1};
    std::atomic<int> m_nCallsAtSelfStop{0};
};

class GThreadTest : public ::testing::Test {
  protected:
    std::unique_ptr<GThread> makeThread() {
        return std::unique_ptr<GThread>(
            new GThread(function<int>(bind_funcobj(&Probe::body, &m_probe)), "SensorThread",
                        function<int>(bind_funcobj(&Probe::onStart, &m_probe)),
                        function<int>(bind_funcobj(&Probe::onStop, &m_probe))));
    }

    bool bodyRunsMoreThan(int calls) {
        return eventually([this, calls] { return m_probe.m_nCalls > calls; });
    }

    // After a stop the body neither runs nor is called again.
    void expectQuiet() {
        int calls = m_probe.m_nCalls;
        EXPECT_FALSE(m_probe.m_bInside.load());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(calls, m_probe.m_nCalls.load()) << "the body ran after the thread stopped";
    }

    Probe m_probe;
};

}  // namespace

TEST_F(GThreadTest, StartRunsTheBodyRepeatedlyAndStopWaitsForIt) {
    std::unique_ptr<GThread> thread = makeThread();
    ASSERT_TRUE(thread->start());
    EXPECT_TRUE(bodyRunsMoreThan(3));
    EXPECT_TRUE(thread->stop());
    expectQuiet();
    EXPECT_FALSE(thread->isRunning());
}

TEST_F(GThreadTest, StartAfterStopRunsTheBodyAgain) {
    std::unique_ptr<GThread> thread = makeThread();
    ASSERT_TRUE(thread->start());
    ASSERT_TRUE(bodyRunsMoreThan(0));
    ASSERT_TRUE(thread->stop());
    int calls = m_probe.m_nCalls;

    ASSERT_TRUE(thread->start());
    EXPECT_TRUE(bodyRunsMoreThan(calls));
    EXPECT_TRUE(thread->stop());
    expectQuiet();
}

TEST_F(GThreadTest, StopOfANeverStartedThreadSucceeds) {
    std::unique_ptr<GThread> thread = makeThread();
    EXPECT_TRUE(thread->stop());
    EXPECT_EQ(0, m_probe.m_nStarts.load());
    EXPECT_EQ(0, m_probe.m_nStops.load());
    EXPECT_EQ(0, m_probe.m_nCalls.load());
}

TEST_F(GThreadTest, HooksRunOncePerCycleOnTheThread) {
    std::unique_ptr<GThread> thread = makeThread();
    for (int cycle = 1; cycle <= 2; ++cycle) {
        ASSERT_TRUE(thread->start());
        EXPECT_TRUE(thread->start()) << "a running thread answers start() with true";
        ASSERT_TRUE(bodyRunsMoreThan(m_probe.m_nCalls));
        ASSERT_TRUE(thread->stop());

        EXPECT_EQ(cycle, m_probe.m_nStarts.load());
        EXPECT_EQ(cycle, m_probe.m_nStops.load());
        EXPECT_NE(std::this_thread::get_id(), m_probe.m_bodyThread);
        EXPECT_EQ(m_probe.m_bodyThread, m_probe.m_startThread);
        EXPECT_EQ(m_probe.m_bodyThread, m_probe.m_stopThread);
    }
}

TEST_F(GThreadTest, StopFromTheBodyIsRefusedYetEndsTheThread) {
    std::unique_ptr<GThread> thread = makeThread();
    m_probe.m_pStopFromBody = thread.get();
    ASSERT_TRUE(thread->start());

    EXPECT_TRUE(eventually([this] { return m_probe.m_nSelfStopResult >= 0; }))
        << "stop() from the body did not return";
    EXPECT_EQ(0, m_probe.m_nSelfStopResult.load());
    EXPECT_TRUE(eventually([&thread] { return !thread->isRunning(); }));
    EXPECT_EQ(m_probe.m_nCallsAtSelfStop.load(), m_probe.m_nCalls.load());
    EXPECT_EQ(1, m_probe.m_nStops.load());

    int calls = m_probe.m_nCalls;
    ASSERT_TRUE(thread->start()) << "a thread that ended itself can be started again";
    EXPECT_TRUE(bodyRunsMoreThan(calls));
    EXPECT_TRUE(thread->stop());
    EXPECT_EQ(2, m_probe.m_nStops.load());
}

TEST_F(GThreadTest, DestroyingARunningThreadStopsIt) {
    std::unique_ptr<GThread> thread = makeThread();
    ASSERT_TRUE(thread->start());
    ASSERT_TRUE(bodyRunsMoreThan(0));
    thread.reset();
    EXPECT_EQ(1, m_probe.m_nStops.load());
    expectQuiet();
}
