// Starts, stops and resets repeated many times: nothing the controller opens
// or starts outlives them. Under AddressSanitizer, LeakSanitizer checks at exit
// that nothing it allocates does either. SENSOR_CYCLES sets the count.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>

#include "fixtures/ControllerFixture.h"
#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/Watchdog.h"
#include "platform/HostSeams.h"

using Cycles = ControllerFixture;

TEST_F(Cycles, InitUinitAndResetCyclesGiveBackEveryDescriptorAndThread) {
    const int cycles = getenv("SENSOR_CYCLES") ? std::max(1, atoi(getenv("SENSOR_CYCLES"))) : 100;
    platform::setDurableSync(false);  // thousands of saves need not reach the disk
    ISensorController& c = start();
    const ModuleConfigure module = moduleFor(1);
    const std::string fresh = schemeFile(0);
    Watchdog watchdog(60 + cycles, "the start/stop cycles");
    const size_t descriptors = dirEntries("/proc/self/fd").size();
    const size_t threads = dirEntries("/proc/self/task").size();
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
    platform::setDurableSync(true);
    EXPECT_EQ(0, failures);
    EXPECT_EQ(descriptors, dirEntries("/proc/self/fd").size()) << "descriptors left open";
    EXPECT_EQ(threads, dirEntries("/proc/self/task").size()) << "threads left running";
    EXPECT_TRUE(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD)
        << "a deletion command was not waited for";
    EXPECT_EQ(fresh, schemeFile(0));
}
