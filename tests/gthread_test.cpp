// The base library's thread as the controller drives it: a function<int> body
// called again and again between start() and stop(), with two hooks.
#include "platform/GThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "fixtures/Eventually.h"
#include "support/function.h"

namespace {

// Counts what the thread does and records on which thread; the ids are read
// after stop() has joined it. A body given a thread to stop stops it once.
class GThreadTest : public ::testing::Test {
  protected:
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

    bool bodyRunsMoreThan(int calls) {
        return eventually([this, calls] { return m_nCalls > calls; });
    }
    // After a stop the body neither runs nor is called again.
    void expectQuiet() {
        int calls = m_nCalls;
        EXPECT_FALSE(m_bInside.load());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(calls, m_nCalls.load()) << "the body ran after the thread stopped";
    }

    std::atomic<int> m_nCalls{0}, m_nStarts{0}, m_nStops{0};
    std::atomic<bool> m_bInside{false};
    std::thread::id m_bodyThread, m_startThread, m_stopThread;
    GThread* m_pStopFromBody = nullptr;
    std::atomic<int> m_nSelfStopResult{-1}, m_nCallsAtSelfStop{0};
    // Last: it goes first, while what its body touches is still there.
    std::unique_ptr<GThread> m_pThread{
        new GThread(function<int>(bind_funcobj(&GThreadTest::body, this)), "SensorThread",
                    function<int>(bind_funcobj(&GThreadTest::onStart, this)),
                    function<int>(bind_funcobj(&GThreadTest::onStop, this)))};
};

}  // namespace

TEST_F(GThreadTest, EachCycleRunsTheBodyRepeatedlyAndEachHookOnceOnTheThread) {
    for (int cycle = 1; cycle <= 2; ++cycle) {
        ASSERT_TRUE(m_pThread->start());
        EXPECT_TRUE(m_pThread->start()) << "a running thread answers start() with true";
        ASSERT_TRUE(bodyRunsMoreThan(m_nCalls + 3));
        ASSERT_TRUE(m_pThread->stop());
        expectQuiet();
        EXPECT_FALSE(m_pThread->isRunning());
        EXPECT_EQ(cycle, m_nStarts.load());
        EXPECT_EQ(cycle, m_nStops.load());
        EXPECT_NE(std::this_thread::get_id(), m_bodyThread);
        EXPECT_EQ(m_bodyThread, m_startThread);
        EXPECT_EQ(m_bodyThread, m_stopThread);
    }
}

TEST_F(GThreadTest, StopOfANeverStartedThreadSucceedsWithoutHooks) {
    EXPECT_TRUE(m_pThread->stop());
    EXPECT_EQ(0, m_nStarts + m_nStops + m_nCalls);
}

TEST_F(GThreadTest, StopFromTheBodyIsRefusedYetEndsTheThread) {
    m_pStopFromBody = m_pThread.get();
    ASSERT_TRUE(m_pThread->start());
    EXPECT_TRUE(eventually([this] { return m_nSelfStopResult >= 0; }))
        << "stop() from the body did not return";
    EXPECT_EQ(0, m_nSelfStopResult.load());
    EXPECT_TRUE(eventually([this] { return !m_pThread->isRunning(); }));
    EXPECT_EQ(m_nCallsAtSelfStop.load(), m_nCalls.load());
    EXPECT_EQ(1, m_nStops.load());

    int calls = m_nCalls;
    ASSERT_TRUE(m_pThread->start()) << "a thread that ended itself can be started again";
    EXPECT_TRUE(bodyRunsMoreThan(calls));
    EXPECT_TRUE(m_pThread->stop());
    EXPECT_EQ(2, m_nStops.load());
}

TEST_F(GThreadTest, DestroyingARunningThreadStopsIt) {
    ASSERT_TRUE(m_pThread->start());
    ASSERT_TRUE(bodyRunsMoreThan(0));
    m_pThread.reset();
    EXPECT_EQ(1, m_nStops.load());
    expectQuiet();
}
