// The base library's thread as the controller drives it: a function<int> body
// called again and again between start() and stop(), with two hooks; and the
// callable glue beneath it: shared callables behind a counted safe pointer.
#include "platform/GThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "fixtures/Eventually.h"
#include "platform/RefCountManager.h"
#include "support/TXRuntimeError.h"
#include "support/function.h"

namespace {

// The hooks and the body record what ran where; the ids are read after stop()
// has joined the thread. At call stopAt the body stops its own thread.
TEST(GThreadTest, StartsStopsAndStartsAgainAfterTheBodyStoppedIt) {
    static std::atomic<int> calls, starts, stops, stopAt, selfStop;
    static std::thread::id body, start;
    static GThread* self = nullptr;
    calls = starts = stops = 0, stopAt = selfStop = -1;
    std::unique_ptr<GThread> thread(
        new GThread(function<int>(+[] {
                        body = std::this_thread::get_id();
                        if (++calls == stopAt)
                            selfStop = self->stop() ? 1 : 0;
                        return 0;
                    }),
                    "SensorThread",
                    function<int>(+[] { return (start = std::this_thread::get_id(), ++starts); }),
                    function<int>(+[] { return ++stops; })));
    self = thread.get();
    EXPECT_TRUE(thread->stop()) << "a never started thread stops without hooks";
    ASSERT_TRUE(thread->start() && thread->start()) << "start() when running is true";
    ASSERT_TRUE(eventually([] { return calls > 3; }));
    ASSERT_TRUE(thread->stop() && !thread->isRunning());
    const int stoppedAt = calls;
    EXPECT_TRUE(starts == 1 && stops == 1 && body == start && body != std::this_thread::get_id());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(stoppedAt, calls.load()) << "the body ran after the thread stopped";
    // Once found: a thread that ended itself could not be started again.
    stopAt = stoppedAt + 2;
    ASSERT_TRUE(thread->start());
    // stop() from the body is refused, yet ends the thread.
    EXPECT_TRUE(eventually([&thread] { return selfStop == 0 && !thread->isRunning(); }));
    ASSERT_TRUE(stops == 2 && thread->start());
    EXPECT_TRUE(eventually([stoppedAt] { return calls > stoppedAt + 5; }));
    thread.reset();  // destroying a running thread stops it
    EXPECT_TRUE(starts == 3 && stops == 3) << starts << " " << stops;
}

typedef SafePointer<function_obj_base<int> > CallablePointer;

TEST(CallableGlueTest, AnEmptyCallablePrintsOneReportLineAndThrowsIt) {
    testing::internal::CaptureStdout();
    EXPECT_THROW(CallablePointer pointer(nullptr), TXRuntimeError);
    EXPECT_EQ("SafePointer Report:17function_obj_baseIiE Construct from NULL original pointer\n",
              testing::internal::GetCapturedStdout());
}

// A callable that counts its own deletions.
struct CountedCallable : function_obj_base<int> {
    explicit CountedCallable(std::atomic<int>* deaths) : m_pDeaths(deaths) {}
    ~CountedCallable() override { ++*m_pDeaths; }
    int operator()() override { return 7; }
    std::atomic<int>* m_pDeaths;
};

// Once found: the last copy deleted the callable before handing its counter
// back, so a new callable at the same address could meet the dying counter.
TEST(CallableGlueTest, CopiesDestroyedConcurrentlyDeleteTheCallableOnceAndHandBackItsCounter) {
    const int live = RefCountManager::getInstance()->liveCounters();
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> deaths(0), go(0);
        std::vector<std::thread> threads;
        {
            CallablePointer shared(new CountedCallable(&deaths));
            for (int i = 0; i < 8; ++i)
                threads.emplace_back([shared, &go] { eventually([&go] { return go == 1; }); });
        }
        go = 1;  // the copies in the threads are now the only ones
        for (std::thread& thread : threads) thread.join();
        EXPECT_TRUE(deaths == 1 && RefCountManager::getInstance()->liveCounters() == live) << round;
    }
}

}  // namespace
