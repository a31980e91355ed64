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

int liveCounters() {
    return RefCountManager::getInstance()->liveCounters();
}

struct Tally {
    int next() { return ++value; }
    int value = 0;
};

// Every test hands back each counter it takes.
class SafePointerTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(m_nLive, liveCounters()) << "counters leaked"; }

    const int m_nLive = liveCounters();
    std::atomic<int> m_nDeaths{0};
};

}  // namespace

TEST_F(SafePointerTest, NullPointerPrintsOneReportLineAndThrowsIt) {
    const std::string line =
        "SafePointer Report:17function_obj_baseIiE Construct from NULL original pointer";
    testing::internal::CaptureStdout();
    try {
        CallablePointer pointer(nullptr);
        ADD_FAILURE() << "nothing thrown";
    } catch (const TXRuntimeError& error) {
        EXPECT_EQ(line, error.what());
    }
    EXPECT_EQ(line + "\n", testing::internal::GetCapturedStdout());
}

// The callable behind a pointer and behind a function<int> bound to a member
// lives until the last of three copies goes, then is deleted once and its
// counter handed back.
TEST_F(SafePointerTest, CopiedTwiceDestroyedThriceDeletesOnceAtTheLast) {
    Tally tally;
    std::unique_ptr<CallablePointer> pointers[3];
    std::unique_ptr<function<int> > functions[3];
    pointers[0].reset(new CallablePointer(new CountedCallable(&m_nDeaths)));
    functions[0].reset(new function<int>(bind_funcobj(&Tally::next, &tally)));
    for (int i = 1; i < 3; ++i) {
        pointers[i].reset(new CallablePointer(*pointers[i - 1]));
        functions[i].reset(new function<int>(*functions[i - 1]));
    }
    for (int i = 0; i < 2; ++i) {
        pointers[i].reset();
        functions[i].reset();
        EXPECT_EQ(0, m_nDeaths.load());
        EXPECT_EQ(m_nLive + 2, liveCounters()) << "copies share their original's counter";
        EXPECT_EQ(7, (*pointers[2]->get())());
        EXPECT_EQ(i + 1, (*functions[2])());
    }
    EXPECT_EQ(2, tally.value) << "the member runs on the bound object, not on a copy";
    pointers[2].reset();
    functions[2].reset();
    EXPECT_EQ(1, m_nDeaths.load());
}

TEST_F(SafePointerTest, CounterOfAnotherObjectRefusesTheCopyAndStaysUnlocked) {
    function_obj_base<int>* raw = new CountedCallable(&m_nDeaths);
    {
        CallablePointer owner(raw);
        // The owner's counter, with one more reference, now naming another object.
        ref_count* counter =
            RefCountManager::getInstance()->retrieveRefCount(raw, CallablePointer::typeName());
        int other = 0;
        counter->rebind(&other);
        try {
            CallablePointer copy(owner);
            ADD_FAILURE() << "nothing thrown";
        } catch (const TXRuntimeError& error) {
            EXPECT_STREQ("not valid pointer in inc_reference ", error.what());
        }
        std::future<void> probe = std::async(std::launch::async, [counter] {
            EXPECT_EQ(0, counter->lock());
            counter->unLock();
        });
        bool freed = probe.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
        if (!freed) {
            counter->unLock();  // release it so the test can end
        }
        EXPECT_TRUE(freed) << "the refused copy left the counter locked";
        counter->rebind(raw);  // back to the owner's single reference
    }
    EXPECT_EQ(1, m_nDeaths.load());
}

TEST_F(SafePointerTest, CopiesDestroyedConcurrentlyDeleteTheCallableOnce) {
    for (int round = 0; round < 20; ++round) {
        m_nDeaths = 0;
        std::atomic<bool> go(false);
        std::vector<std::thread> threads;
        {
            CallablePointer shared(new CountedCallable(&m_nDeaths));
            for (int i = 0; i < 8; ++i) {
                threads.emplace_back([shared, &go] {
                    while (!go) {
                        std::this_thread::yield();
                    }
                    EXPECT_EQ(7, (*shared.get())());
                });
            }
        }
        go = true;  // the copies in the threads are now the only ones
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(1, m_nDeaths.load()) << "round " << round;
    }
}

TEST(TXRuntimeErrorTest, NullTextGivesEmptyText) {
    EXPECT_STREQ("", TXRuntimeError(nullptr).what());
}

TEST(TXMutexManagerTest, HoldsTheMutexForItsScopeOnly) {
    TXMutex mutex;
    auto takenFromAnotherThread = [&mutex] {
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
        EXPECT_FALSE(takenFromAnotherThread());
    }
    EXPECT_TRUE(takenFromAnotherThread());
}
