// Small base-library services: text helpers, the device clock, scaled waits
// and the recording video module.
#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/HostSeams.h"
#include "platform/StringHandler.h"
#include "platform/TXDeviceTime.h"
#include "platform/TalvexTime.h"
#include "platform/host/RecordingVideoModule.h"

namespace {

// The clock and wait seams are process-wide: every test leaves them as found.
class PlatformMiscTest : public ::testing::Test {
  protected:
    void TearDown() override {
        platform::clearFakeClock();
        platform::setWaitScale(100);
    }
};

int realHour() {
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    return local.tm_hour;
}

}  // namespace

TEST_F(PlatformMiscTest, SplitKeepsEveryPiece) {
    struct {
        const char* text;
        std::vector<std::string> pieces;
    } const kCases[] = {
        {"a,b", {"a", "b"}}, {"a,,b", {"a", "", "b"}}, {"", {""}},
        {",5", {"", "5"}},   {"abc", {"abc"}},         {"a,", {"a", ""}},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> pieces;
        StringHandler::split(c.text, pieces, ",");
        EXPECT_EQ(c.pieces, pieces) << '"' << c.text << '"';
    }

    std::vector<std::string> pieces(1, "earlier");
    StringHandler::split("x::y", pieces, "::");
    EXPECT_EQ((std::vector<std::string>{"earlier", "x", "y"}), pieces) << "pieces are appended";
}

TEST_F(PlatformMiscTest, Str2TypeReadsLikeTheStream) {
    // A text that holds no number stores 0 (the stream's failed extraction);
    // an empty text gives the stream nothing to convert and leaves the target.
    struct {
        const char* text;
        int value;
    } const kCases[] = {{"12", 12}, {" -3", -3}, {"7 8", 7}, {"x", 0}, {"", 99}};
    for (const auto& c : kCases) {
        int target = 99;
        StringHandler::str2type(c.text, target);
        EXPECT_EQ(c.value, target) << '"' << c.text << '"';
    }
}

TEST_F(PlatformMiscTest, FakeClockAnswersUntilCleared) {
    platform::setFakeClock(23, 59);
    struct tm now = TXDeviceTime::getCurrentTime();
    EXPECT_EQ(23, now.tm_hour);
    EXPECT_EQ(59, now.tm_min);

    int before = realHour();
    platform::setFakeClock((before + 12) % 24, 0);
    platform::clearFakeClock();
    int hour = TXDeviceTime::getCurrentTime().tm_hour;
    int after = realHour();
    EXPECT_TRUE(hour == before || hour == after) << hour;
}

TEST_F(PlatformMiscTest, WaitIsScaled) {
    platform::setWaitScale(1);
    auto begin = std::chrono::steady_clock::now();
    wait(TalvexTime(1, 0));
    auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500));
    EXPECT_GE(elapsed, std::chrono::milliseconds(10)) << "one percent of a second is still slept";
}

TEST_F(PlatformMiscTest, RecordingVideoModuleRecordsInOrderAndFailsOnDemand) {
    RecordingVideoModule recorder;
    const VideoStreamModule& video = recorder;
    EXPECT_EQ(0, video.notifySensorChange(0, 3, 1));
    recorder.failNotifications(-7);
    EXPECT_EQ(-7, video.notifySensorChange(2, 5, -4));
    recorder.failNotifications(0);
    EXPECT_EQ(0, video.notifySensorChange(1, 3, 0));

    std::vector<RecordingVideoModule::Notification> expected = {{0, 3, 1}, {2, 5, -4}, {1, 3, 0}};
    EXPECT_EQ(expected, recorder.notifications());
    recorder.clearNotifications();
    EXPECT_TRUE(recorder.notifications().empty());

    AVStreamParam stream;
    stream.setFrameRate(30);
    stream.setVideoHeight(720);
    recorder.setStreams({stream, AVStreamParam()});
    std::vector<AVStreamParam> streams;
    EXPECT_EQ(0, video.getStreamParams(streams));
    ASSERT_EQ(2u, streams.size());
    EXPECT_EQ(30, streams[0].getFrameRate());
    EXPECT_EQ(720, streams[0].getVideoHeight());
    EXPECT_EQ(25, streams[1].getFrameRate());
}
