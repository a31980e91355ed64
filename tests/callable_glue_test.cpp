// The callable glue as the thread class and the controller use it: shared
// callables behind a counted safe pointer, the module's exception and the
// scoped lock guard.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/RefCountManager.h"
#include "platform/TXMutex.h"
#include "support/TXMutexManager.h"
#include "support/TXRuntimeError.h"
#include "support/function.h"

namespace {

typedef SafePointer<function_obj_base<int> > CallablePointer;

// A callable that counts its own deletions.
class CountedCallable : public function_obj_base<int> {
  public:
    explicit CountedCallable(std::atomic<int>* deaths) : m_pDeaths(deaths) {}
    ~CountedCallable() override { ++*m_pDeaths; }
    int operator()() override { return 7; }

  private:
    std::atomic<int>* m_pDeaths;
};

int fortyTwo() {
    return 42;
}

class Tally {
  public:
    int next() { return ++m_nValue; }
    int value() const { return m_nValue; }

  private:
    int m_nValue = 0;
};

int liveCounters() {
    return RefCountManager::getInstance()->liveCounters();
}

}  // namespace

TEST(SafePointerTest, NullPointerPrintsOneReportLineAndThrowsIt) {
    const std::string line =
        "SafePointer Report:17function_obj_baseIiE Construct from NULL original pointer";
    const int live = liveCounters();
    std::string what = "<nothing thrown>";
    testing::internal::CaptureStdout();
    try {
        CallablePointer pointer(nullptr);
    } catch (const TXRuntimeError& error) {
        what = error.what();
    }
    EXPECT_EQ(line + "\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(line, what);
    EXPECT_EQ(live, liveCounters()) << "no counter is taken for a null pointer";
}

TEST(SafePointerTest, CopiedTwiceDestroyedThriceDeletesOnceAtTheLast) {
    std::atomic<int> deaths(0);
    const int live = liveCounters();
    std::unique_ptr<CallablePointer> first(new CallablePointer(new CountedCallable(&deaths)));
    EXPECT_EQ(live + 1, liveCounters());
    std::unique_ptr<CallablePointer> second(new CallablePointer(*first));
    std::unique_ptr<CallablePointer> third(new CallablePointer(*second));
    EXPECT_EQ(live + 1, liveCounters()) << "copies share the one counter";

    first.reset();
    EXPECT_EQ(0, deaths.load());
    EXPECT_EQ(7, (*third->get())());
    second.reset();
    EXPECT_EQ(0, deaths.load());
    EXPECT_EQ(live + 1, liveCounters());
    EXPECT_EQ(7, (*third->get())());
    third.reset();
    EXPECT_EQ(1, deaths.load());
    EXPECT_EQ(live, liveCounters()) << "the counter is handed back once";
}

TEST(SafePointerTest, FunctionCopiesKeepTheCallableUntilTheLastGoes) {
    const int live = liveCounters();
    std::unique_ptr<function<int> > first(new function<int>(&fortyTwo));
    std::unique_ptr<function<int> > second(new function<int>(*first));
    std::unique_ptr<function<int> > third(new function<int>(*second));
    EXPECT_EQ(live + 1, liveCounters());
    first.reset();
    second.reset();
    EXPECT_EQ(live + 1, liveCounters());
    EXPECT_EQ(42, (*third)());
    third.reset();
    EXPECT_EQ(live, liveCounters());
}

TEST(SafePointerTest, CallingAFunctionReturnsTheCallablesResult) {
    function<int> free(&fortyTwo);
    EXPECT_EQ(42, free());

    Tally tally;
    function<int> bound(bind_funcobj(&Tally::next, &tally));
    function<int> copy(bound);
    EXPECT_EQ(1, bound());
    EXPECT_EQ(2, copy());
    EXPECT_EQ(2, tally.value()) << "the member runs on the bound object, not on a copy";
}

TEST(SafePointerTest, CounterOfAnotherObjectRefusesTheCopyAndStaysUnlocked) {
    std::atomic<int> deaths(0);
    const int live = liveCounters();
    function_obj_base<int>* raw = new CountedCallable(&deaths);
    {
        CallablePointer owner(raw);
        // The same counter the owner holds, with one more reference.
        ref_count* counter =
            RefCountManager::getInstance()->retrieveRefCount(raw, CallablePointer::typeName());
        int other = 0;
        counter->rebind(&other);

        std::string what = "<nothing thrown>";
        testing::internal::CaptureStdout();
        try {
            CallablePointer copy(owner);
        } catch (const TXRuntimeError& error) {
            what = error.what();
        }
        EXPECT_EQ("", testing::internal::GetCapturedStdout()) << "thrown without a report";
        EXPECT_EQ("not valid pointer in inc_reference ", what);

        std::future<int> probe = std::async(std::launch::async, [counter] {
            int result = counter->lock();
            if (result == 0) {
                counter->unLock();
            }
            return result;
        });
        bool freed = probe.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
        if (!freed) {
            counter->unLock();  // left held by this thread: release it so the test can end
        }
        EXPECT_TRUE(freed) << "the refused copy left the counter locked";
        EXPECT_EQ(0, probe.get());

        counter->rebind(raw);  // back to the owner's single reference
    }
    EXPECT_EQ(1, deaths.load());
    EXPECT_EQ(live, liveCounters());
}

TEST(SafePointerTest, CopiesDestroyedConcurrentlyDeleteTheCallableOnce) {
    const int kThreads = 8;
    const int kRounds = 20;
    const int live = liveCounters();
    for (int round = 0; round < kRounds; ++round) {
        std::atomic<int> deaths(0);
        std::atomic<int> calls(0);
        std::atomic<bool> go(false);
        std::vector<std::thread> threads;
        {
            CallablePointer shared(new CountedCallable(&deaths));
            function<int> body(&fortyTwo);
            for (int i = 0; i < kThreads; ++i) {
                threads.emplace_back([shared, body, &go, &calls] {
                    while (!go) {
                        std::this_thread::yield();
                    }
                    calls += (*shared.get())() + body();
                });
            }
        }
        go = true;
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(kThreads * (7 + 42), calls.load());
        EXPECT_EQ(1, deaths.load()) << "round " << round;
    }
    EXPECT_EQ(live, liveCounters());
}

TEST(TXRuntimeErrorTest, NullTextGivesEmptyText) {
    EXPECT_STREQ("", TXRuntimeError(nullptr).what());
    EXPECT_STREQ("not valid", TXRuntimeError("not valid").what());
}

TEST(TXMutexManagerTest, HoldsTheMutexForItsScopeOnly) {
    TXMutex mutex;
    auto tryFromAnotherThread = [&mutex] {
        return std::async(std::launch::async,
                          [&mutex] {
                              bool taken = mutex.TryLock(__FILE__, __LINE__);
                              if (taken) {
                                  mutex.Unlock(__FILE__, __LINE__);
                              }
                              return taken;
                          })
            .get();
    };
    {
        TXMutexManager guard(mutex, __FILE__, __LINE__);
        EXPECT_FALSE(tryFromAnotherThread());
    }
    EXPECT_TRUE(tryFromAnotherThread());
}
