// The simulated processor as the module and the other tests rely on it.
#include "platform/ia_sim.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <atomic>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ia_ioctrl.h"

namespace {

typedef std::vector<int32_t> Words;
typedef std::vector<std::string> Lines;
const int32_t kUntouched = 0x5A5A5A5A;  // a word of the memset(0x5A) pattern

// One logged call as "channel:command/option in -> out".
std::string describe(const iasim::Call& c) {
    std::string text =
        std::to_string(c.ch) + ":" + std::to_string(c.cmd) + "/" + std::to_string(c.opt);
    for (int32_t w : c.in) {
        text += " " + std::to_string(w);
    }
    text += " ->";
    for (int32_t w : c.out) {
        text += " " + std::to_string(w);
    }
    return text;
}

class IaSimTest : public ::testing::Test {
  protected:
    void SetUp() override { iasim::reset(); }

    static int32_t io(int ch, uint32_t cmd, uint32_t opt, void* data) {
        return ia_ioctrl_v2(ch, static_cast<ia_cmd_e>(cmd), static_cast<ia_cmd_opt_e>(opt), data);
    }
    static int32_t set(int ch, uint32_t cmd, int32_t v) { return io(ch, cmd, IA_CMD_OPT_SET, &v); }
    static int32_t get(int ch, uint32_t cmd, int32_t& v) { return io(ch, cmd, IA_CMD_OPT_GET, &v); }
    static int32_t valueOf(int ch, uint32_t cmd) {
        int32_t v = -1;
        get(ch, cmd, v);
        return v;
    }
    static std::string lastCall() { return describe(iasim::calls().back()); }
    static Words counting(int32_t count, int32_t first) {
        Words words(count);
        std::iota(words.begin(), words.end(), first);
        return words;
    }
};

TEST_F(IaSimTest, GetAnswersLastSetOrSensorValuePerChannel) {
    int32_t v = -1;
    EXPECT_EQ(0, get(0, 16, v));
    EXPECT_EQ(0, v);
    EXPECT_FALSE(iasim::lastSet(0, 16, v));
    EXPECT_EQ(0, set(0, 16, 3));
    EXPECT_EQ(3, valueOf(0, 16));
    iasim::setValue(0, 16, 7);  // the sensor changes on its own
    EXPECT_EQ(7, valueOf(0, 16));
    ASSERT_TRUE(iasim::lastSet(0, 16, v));
    EXPECT_EQ(3, v);
    set(0, 16, 5);
    set(-3, 16, 2);
    set(1000000, 16, 3);
    iasim::setValue(1, 16, 4);
    iasim::setDayNightState(1, 1);
    EXPECT_EQ(Words({5, 2, 3, 4, 0, 1, 0}),
              Words({valueOf(0, 16), valueOf(-3, 16), valueOf(1000000, 16), valueOf(1, 16),
                     valueOf(2, 16), valueOf(1, IA_CMD_DN_STATE), valueOf(0, IA_CMD_DN_STATE)}));
}

TEST_F(IaSimTest, RecordSetsAreLoggedWholeAndSensorCheckReadFillsTheFourthNumber) {
    // Command and the words of its record.
    const std::pair<uint32_t, size_t> cases[] = {{145, 3}, {146, 3}, {154, 3},  {149, 4}, {150, 4},
                                                 {151, 4}, {152, 4}, {2816, 4}, {16, 1}};
    for (const auto& c : cases) {
        iasim::clearCalls();
        int32_t record[5] = {11, 12, 13, 14, 15}, first = 0;
        EXPECT_EQ(0, io(0, c.first, IA_CMD_OPT_SET, record));
        ASSERT_EQ(1u, iasim::calls().size());
        EXPECT_EQ(Words(record, record + c.second), iasim::calls()[0].in) << c.first;
        ASSERT_TRUE(iasim::lastSet(0, c.first, first));
        EXPECT_EQ(11, first);
    }
    iasim::setValue(0, IA_CMD_SENSOR_CHECK, 42);  // the set above does not change the answer
    int32_t record[4] = {1, 2, 3, -9};
    EXPECT_EQ(0, io(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, record));
    EXPECT_EQ(Words({1, 2, 3, 42}), Words(record, record + 4));
}

TEST_F(IaSimTest, CommandListAndRangeAreFilledAndCutToTheirRoom) {
    for (int32_t count : {3, 70}) {
        struct {
            ia_dynamic_params_cmds_st list;
            int32_t listGuard;
            ia_dynamic_params_attr_st attr;
            int32_t attrGuard;
        } buf;
        memset(&buf, 0x5A, sizeof(buf));
        Words cmds = counting(count, 100), items = counting(count, 0);
        iasim::setDynamicCommands(0, cmds);
        iasim::setParamRange(0, 16, 1, 9, items);
        EXPECT_EQ(0, io(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &buf.list));
        EXPECT_EQ(0, io(0, 16, IA_CMD_OPT_GET_PARAM_RNAGE, &buf.attr));
        cmds.resize(IA_DYNAMIC_CMDS_MAX, kUntouched);
        items.resize(IA_DYNAMIC_ITEMS_MAX, kUntouched);
        EXPECT_EQ(count, buf.list.cmd_cnt);
        EXPECT_EQ(cmds, Words(buf.list.cmd_list, buf.list.cmd_list + IA_DYNAMIC_CMDS_MAX)) << count;
        EXPECT_EQ(Words({1, 9, 0, 0, count}),
                  Words(&buf.attr.param_type, &buf.attr.param_type + 5));
        EXPECT_EQ(items, Words(buf.attr.item, buf.attr.item + IA_DYNAMIC_ITEMS_MAX)) << count;
        EXPECT_EQ(Words({kUntouched, kUntouched}), Words({buf.listGuard, buf.attrGuard}));
    }
}

TEST_F(IaSimTest, VersionTextIsCutAtFiftyBytesWithoutTerminator) {
    // Text length and the bytes written, the terminator included when it fits.
    const std::pair<size_t, size_t> cases[] = {{0, 1}, {4, 5}, {49, 50}, {50, 50}, {60, 50}};
    for (const auto& c : cases) {
        std::string text(c.first, 'v');
        iasim::setVersionText(0, text);
        char buf[IA_CAMERA_VER_LEN + 4];
        memset(buf, 'x', sizeof(buf));
        EXPECT_EQ(0, io(0, IA_CMD_CAMERA_VER_INFO, IA_CMD_OPT_GET, buf));
        std::string expected = text.substr(0, c.second);
        expected.resize(c.second, '\0');
        EXPECT_EQ(expected + std::string(sizeof(buf) - c.second, 'x'),
                  std::string(buf, sizeof(buf)));
    }
}

TEST_F(IaSimTest, CorrectionFollowsTheRangeAndUnrangedCommandsMoveNoData) {
    iasim::setParamRange(0, 16, 0, 2, {0, 2, 5});
    iasim::setParamRange(1, 17, 0, 2, {0, 2});  // another channel's range does not count
    // Command, proposed value, corrected value.
    const int32_t cases[][3] = {{16, 5, 5}, {16, 0, 0}, {16, 3, 2}, {16, -1, 2}, {17, 3, 3}};
    for (const auto& c : cases) {
        int32_t v = c[1];
        EXPECT_EQ(0, io(0, c[0], IA_CMD_OPT_CORRECT_PARAM, &v));
        EXPECT_EQ(describe({0, uint32_t(c[0]), 3, {c[1]}, {c[2]}}), lastCall());
        EXPECT_EQ(c[2], v);
    }
    ia_dynamic_params_attr_st attr, pattern;
    memset(&attr, 0x5A, sizeof(attr));
    memcpy(&pattern, &attr, sizeof(attr));
    EXPECT_NE(0, io(0, 17, IA_CMD_OPT_GET_PARAM_RNAGE, &attr));
    EXPECT_EQ(0, memcmp(&pattern, &attr, sizeof(attr)));
}

TEST_F(IaSimTest, ExecStatusIsFinishedAndBadCallsFailAndAreLogged) {
    int32_t v = 0;
    EXPECT_EQ(0, io(0, IA_CMD_LENS_RESET, IA_CMD_OPT_GET_EXEC_STATUS, &v));
    EXPECT_NE(0, io(0, IA_CMD_LENS_RESET, 5, &v));  // no such option
    EXPECT_EQ(1, v);
    iasim::setParamRange(0, 16, 0, 2, {0, 2});
    for (uint32_t opt = 0; opt <= 4; ++opt) {
        EXPECT_NE(0, io(0, 16, opt, nullptr)) << opt;
    }
    EXPECT_NE(0, io(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, nullptr));
    EXPECT_EQ(8u, iasim::calls().size());
}

TEST_F(IaSimTest, FaultsFailTheirOptionMoveNoDataAndClearOneByOne) {
    set(0, 16, 3);
    iasim::failCommand(0, 16, -5);  // every option
    iasim::failCommand(0, 17, -6, IA_CMD_OPT_SET);
    iasim::failCommand(0, 17, -7, IA_CMD_OPT_GET);
    int32_t v = 99;
    EXPECT_EQ(
        Words({-5, -5, -5, -6, -7, 0, 0}),
        Words({get(0, 16, v), set(0, 16, 8), io(0, 16, IA_CMD_OPT_CORRECT_PARAM, &v), set(0, 17, 1),
               get(0, 17, v), set(1, 16, 1), io(0, 17, IA_CMD_OPT_GET_EXEC_STATUS, &v)}));
    EXPECT_EQ("0:16/3 99 ->", describe(iasim::calls()[3]));  // the failed correct moved nothing
    iasim::failCommand(0, 16, 0);
    iasim::failCommand(0, 17, 0, IA_CMD_OPT_SET);
    EXPECT_EQ(Words({3, -7, 0}), Words({valueOf(0, 16), get(0, 17, v), set(0, 17, 1)}));
    iasim::failCommand(0, 17, 0, IA_CMD_OPT_GET);
    EXPECT_EQ(1, valueOf(0, 17));
}

TEST_F(IaSimTest, CallLogKeepsOrderAndContents) {
    iasim::setValue(2, 49, 40);
    iasim::setParamRange(0, 16, 0, 2, {0, 2});
    set(1, 16, 3);
    valueOf(2, 49);
    ia_dynamic_params_attr_st attr;
    io(0, 16, IA_CMD_OPT_GET_PARAM_RNAGE, &attr);
    Lines log;
    for (const iasim::Call& c : iasim::calls()) {
        log.push_back(describe(c));
    }
    EXPECT_EQ(Lines({"1:16/0 3 ->", "2:49/1 -> 40", "0:16/2 -> 0 2 0 0 2 0 2"}), log);
    iasim::clearCalls();
    EXPECT_EQ(3, valueOf(1, 16));  // clearing the log keeps the values
}

TEST_F(IaSimTest, ResetForgetsEveryChannelsState) {
    set(0, 16, 3);
    iasim::setDayNightState(0, 1);
    iasim::setVersionText(0, "V1");
    iasim::setParamRange(0, 17, 0, 2, {2});
    iasim::failCommand(0, 18, -5);
    iasim::setDynamicCommands(0, {17});
    iasim::reset();
    int32_t v = 0;
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_FALSE(iasim::lastSet(0, 16, v));
    ia_dynamic_params_attr_st attr;
    ia_dynamic_params_cmds_st list;
    char text[IA_CAMERA_VER_LEN] = "old";
    io(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list);
    io(0, IA_CMD_CAMERA_VER_INFO, IA_CMD_OPT_GET, text);
    EXPECT_EQ(Words({0, 0, 0, 0}),
              Words({valueOf(0, 16), valueOf(0, IA_CMD_DN_STATE), set(0, 18, 1), list.cmd_cnt}));
    EXPECT_NE(0, io(0, 17, IA_CMD_OPT_GET_PARAM_RNAGE, &attr));
    EXPECT_STREQ("", text);
}

TEST_F(IaSimTest, ConcurrentCallersAreAllServedAndLogged) {
    const int kThreads = 4, kRounds = 300;
    std::atomic<int> mismatches(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &mismatches] {
            for (int i = 0; i < kRounds; ++i) {
                set(t, 16, i);
                mismatches += valueOf(t, 16) != i;  // each thread owns its channel
                if (i % 50 == 0) {
                    iasim::calls();  // readers of the log meet the writers
                }
            }
        });
    }
    for (std::thread& th : threads) {
        th.join();
    }
    EXPECT_EQ(0, mismatches.load());
    EXPECT_EQ(static_cast<size_t>(kThreads * kRounds * 2), iasim::calls().size());
}

}  // namespace
