// The sensor thread choosing the scheme by itself: from the processor's
// day/night state or from the schedule's windows, on its own ticks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "fixtures/ControllerTest.h"
#include "fixtures/Eventually.h"
#include "platform/HostSeams.h"
#include "platform/ia_sim.h"
#include "sensor/ISensorController.h"

namespace {

class SensorThreadTest : public ControllerTest {};

}  // namespace

TEST_F(SensorThreadTest, DayNightModeFollowsTheProcessorsStateWhileParamModeIsOn) {
    start();
    ASSERT_TRUE(choose(1));
    ASSERT_EQ(0, apply("(34,90)"));
    ASSERT_TRUE(choose(0));
    ASSERT_TRUE(ctl().setParamMode(0));
    ASSERT_EQ(0, apply("(8000,2)"));
    iasim::setDayNightState(0, 1);
    iasim::clearCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // ten ticks
    EXPECT_EQ(0, scheme());
    EXPECT_TRUE(iasim::calls().empty());  // not even the state is asked
    ASSERT_TRUE(ctl().setParamMode(1));
    EXPECT_TRUE(eventually([&] { return scheme() == 1; }));
    EXPECT_EQ(90, lastSet(KEY_BRIGHTNESS));
    iasim::clearCalls();
    EXPECT_TRUE(eventually([] { return stateQueries() >= 3; }));
    EXPECT_TRUE(sent().empty());  // the night goes on: nothing to apply
    iasim::setDayNightState(0, 0);
    EXPECT_TRUE(eventually([&] { return scheme() == 0; }));
    EXPECT_EQ(kFactoryBrightness, lastSet(KEY_BRIGHTNESS));
}

TEST_F(SensorThreadTest, ScheduleModeFollowsTheWindowOfScheme2) {
    start();
    for (int s : {1, 3, 0}) {
        setWindow(s, 0, 0);
    }
    setWindow(2, 800, 1800);
    ASSERT_TRUE(choose(0));
    platform::setFakeClock(9, 0);
    ASSERT_EQ(0, apply("(8000,1)"));
    EXPECT_TRUE(eventually([&] { return scheme() == 2; }));
    platform::setFakeClock(18, 0);
    EXPECT_TRUE(eventually([&] { return scheme() == 0; }));
}

TEST_F(SensorThreadTest, LprDeviceOutsideEveryWindowAtNightAppliesScheme1WithDayNightModeZero) {
    seedMachine(8, "Hi3516AV200", kLprDetail);
    start();
    for (int s : {2, 3, 0, 1}) {
        setWindow(s, 0, 0);
    }
    ASSERT_EQ(0, apply("(144,2)"));  // stored in scheme 1
    ASSERT_TRUE(choose(0));
    iasim::setDayNightState(0, 1);
    iasim::clearCalls();
    ASSERT_EQ(0, apply("(8000,1)"));
    EXPECT_TRUE(eventually([&] { return scheme() == 1; }));
    EXPECT_EQ(Sets({{144, 0}}), sent(0, 144));
    EXPECT_EQ(2, value(144));
}

// A switch the processor refused part-way is not done: ticks apply it again
// until the processor holds the whole night set.
TEST_F(SensorThreadTest, NightSwitchThatFailedPartWayIsAppliedAgain) {
    start();
    ASSERT_TRUE(choose(1));
    ASSERT_EQ(0, apply("(34,90)(2337,70)"));
    ASSERT_TRUE(choose(0));
    ASSERT_EQ(0, apply("(8000,2)"));
    iasim::failCommand(0, KEY_BRIGHTNESS, -1);
    iasim::setDayNightState(0, 1);
    ASSERT_TRUE(eventually([&] { return scheme() == 1; }));
    iasim::clearCalls();
    ASSERT_TRUE(eventually([] { return sent(0, KEY_BRIGHTNESS).size() >= 2; }));  // retried
    EXPECT_TRUE(sent(0, 2337).empty());  // nothing behind the refused pair
    iasim::failCommand(0, KEY_BRIGHTNESS, 0);
    EXPECT_TRUE(eventually([&] { return lastSet(2337) == 70; }));
    EXPECT_EQ(90, lastSet(KEY_BRIGHTNESS));
    iasim::clearCalls();
    ASSERT_TRUE(eventually([] { return stateQueries() >= 3; }));
    EXPECT_TRUE(sent().empty());  // done: nothing more to apply
}

// With one user scheme there is no night scheme: the factory row, which keeps
// no change, never comes into force.
TEST_F(SensorThreadTest, SingleUserSchemeStaysInForceAtNight) {
    seedMachine(1, "Hi3516AV200", "(max_scheme=1)(isInfrared=1)(lensType=1)(sensor=imx385)");
    start();
    ASSERT_EQ(0, apply("(8000,2)(144,1)"));
    iasim::setDayNightState(0, 1);
    iasim::clearCalls();
    ASSERT_TRUE(eventually([] { return stateQueries() >= 3; }));
    EXPECT_EQ(0, scheme());
    ASSERT_EQ(0, apply("(34,33)"));
    EXPECT_EQ(33, value(KEY_BRIGHTNESS));
    EXPECT_EQ(0, ctl().flush());
    EXPECT_EQ(33, recordsOf(schemeFile(0))[KEY_BRIGHTNESS]);
    stop();
    start();
    EXPECT_EQ(1, value(144));  // the day/night key stayed in scheme 0, not copied away
}

// Host threads calling without pause do not keep the tick from its decision:
// with ticks 200 ms apart, the two seconds of the poll leave room for ten.
TEST_F(SensorThreadTest, BusyHostDoesNotStarveTheSwitch) {
    start();
    ASSERT_EQ(0, apply("(8000,2)"));
    platform::setWaitScale(20);
    std::atomic<bool> stopHost(false);
    std::vector<std::thread> hosts;
    for (int i = 0; i < 2; ++i) {
        hosts.emplace_back([&] {
            int value = 0;
            while (!stopHost) {
                m_pController->getParameter(KEY_BRIGHTNESS, value);
            }
        });
    }
    iasim::setDayNightState(0, 1);
    bool switched = eventually([&] { return scheme() == 1; });
    stopHost = true;
    for (std::thread& host : hosts) {
        host.join();
    }
    EXPECT_TRUE(switched);
}
