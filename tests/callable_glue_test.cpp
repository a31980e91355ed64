// The callable glue beneath the base library's thread: shared callables
// behind a counted safe pointer, destroyed from several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "fixtures/Eventually.h"
#include "platform/RefCountManager.h"
#include "support/function.h"

namespace {

typedef SafePointer<function_obj_base<int> > CallablePointer;

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
