// Starts, stops and resets repeated many times: nothing the controller opens
// or starts outlives them. Under AddressSanitizer, LeakSanitizer checks at exit
// that nothing it allocates does either. SENSOR_CYCLES sets the count.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <string>

#include "fixtures/ControllerFixture.h"
#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/Watchdog.h"
#include "platform/HostSeams.h"

namespace {

const int kDefaultCycles = 100;

int cycleCount() {
    const char* text = getenv("SENSOR_CYCLES");
    int count = text ? atoi(text) : 0;
    return count > 0 ? count : kDefaultCycles;
}

// What the process holds: open descriptors and threads.
struct Holdings {
    size_t descriptors;
    size_t threads;
};

Holdings holdings() {
    return Holdings{dirEntries("/proc/self/fd").size(), dirEntries("/proc/self/task").size()};
}

bool noChildLeft() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

class Cycles : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        platform::setDurableSync(false);  // thousands of saves need not reach the disk
    }
    void TearDown() override {
        platform::setDurableSync(true);
        ControllerFixture::TearDown();
    }
};

}  // namespace

TEST_F(Cycles, InitUinitAndResetCyclesGiveBackEveryDescriptorAndThread) {
    const int cycles = cycleCount();
    ISensorController& c = start();
    const ModuleConfigure module = moduleFor(1);
    const std::string fresh = schemeFile(0);
    Watchdog watchdog(60 + cycles, "the start/stop cycles");
    const Holdings before = holdings();
    int failures = 0;
    stdoutOf([&] {
        for (int cycle = 0; cycle < cycles && failures == 0; ++cycle) {
            c.uinit();
            failures += c.getSensorStatus();
            failures += !c.init(module) || !c.getSensorStatus();
            failures += c.setParameters("(34," + std::to_string(cycle % 100) + ")", true) != 0;
            failures += c.flush() != 0;
            failures += !c.resetParameters();
        }
    });
    EXPECT_EQ(0, failures);
    const Holdings after = holdings();
    EXPECT_EQ(before.descriptors, after.descriptors) << "descriptors left open";
    EXPECT_EQ(before.threads, after.threads) << "threads left running";
    EXPECT_TRUE(noChildLeft()) << "a deletion command was not waited for";
    EXPECT_EQ(fresh, schemeFile(0));
    EXPECT_EQ(50, value(34));
    RecordProperty("cycles", cycles);
    RecordProperty("descriptors", static_cast<int>(after.descriptors));
    RecordProperty("threads", static_cast<int>(after.threads));
}
