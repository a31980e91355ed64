// The simulated processor as the module and the other tests rely on it.
#include "platform/ia_sim.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/ia_ioctrl.h"

namespace {

typedef std::vector<int32_t> Words;

ia_cmd_e cmdOf(uint32_t n) {
    return static_cast<ia_cmd_e>(n);
}

Words sequence(int32_t count, int32_t first, int32_t step) {
    Words words;
    for (int32_t i = 0; i < count; ++i) {
        words.push_back(first + i * step);
    }
    return words;
}

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

std::string lastCall() {
    return describe(iasim::calls().back());
}

class IaSimTest : public ::testing::Test {
  protected:
    void SetUp() override { iasim::reset(); }

    static int32_t set(int ch, uint32_t cmd, int32_t v) {
        return ia_ioctrl_v2(ch, cmdOf(cmd), IA_CMD_OPT_SET, &v);
    }
    static int32_t get(int ch, uint32_t cmd, int32_t& v) {
        return ia_ioctrl_v2(ch, cmdOf(cmd), IA_CMD_OPT_GET, &v);
    }
    static int32_t getOr(int ch, uint32_t cmd, int32_t fallback) {
        int32_t v = fallback;
        get(ch, cmd, v);
        return v;
    }
};

TEST_F(IaSimTest, GetAnswersLastSetOrSensorValue) {
    int32_t v = -1;
    EXPECT_EQ(0, get(0, 16, v));
    EXPECT_EQ(0, v);
    EXPECT_FALSE(iasim::lastSet(0, 16, v));
    EXPECT_EQ(0, set(0, 16, 3));
    EXPECT_EQ(3, getOr(0, 16, -1));
    iasim::setValue(0, 16, 7);  // the sensor changes on its own
    EXPECT_EQ(7, getOr(0, 16, -1));
    ASSERT_TRUE(iasim::lastSet(0, 16, v));
    EXPECT_EQ(3, v);
    set(0, 16, 5);
    EXPECT_EQ(5, getOr(0, 16, -1));
}

TEST_F(IaSimTest, ChannelsAndTheirDayNightStatesAreIndependent) {
    set(0, 16, 1);
    set(-3, 16, 2);
    set(1000000, 16, 3);
    iasim::setValue(1, 16, 4);
    EXPECT_EQ(1, getOr(0, 16, -1));
    EXPECT_EQ(2, getOr(-3, 16, -1));
    EXPECT_EQ(3, getOr(1000000, 16, -1));
    EXPECT_EQ(4, getOr(1, 16, -1));
    EXPECT_EQ(0, getOr(2, 16, -1));
    iasim::setDayNightState(1, 1);
    EXPECT_EQ(1, getOr(1, IA_CMD_DN_STATE, -1));
    EXPECT_EQ("1:153/1 -> 1", lastCall());
    EXPECT_EQ(0, getOr(0, IA_CMD_DN_STATE, -1));
}

TEST_F(IaSimTest, RecordSetsAreLoggedWhole) {
    struct Case {
        uint32_t cmd;
        size_t words;
    } cases[] = {{145, 3}, {146, 3}, {154, 3},  {149, 4}, {150, 4},
                 {151, 4}, {152, 4}, {2816, 4}, {16, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cmd);
        iasim::clearCalls();
        int32_t record[5] = {11, 12, 13, 14, 15};
        EXPECT_EQ(0, ia_ioctrl_v2(0, cmdOf(c.cmd), IA_CMD_OPT_SET, record));
        std::vector<iasim::Call> log = iasim::calls();
        ASSERT_EQ(1u, log.size());
        EXPECT_EQ(Words(record, record + c.words), log[0].in);
        int32_t first = 0;
        ASSERT_TRUE(iasim::lastSet(0, c.cmd, first));
        EXPECT_EQ(11, first);
    }
}

TEST_F(IaSimTest, SensorCheckReadFillsOnlyTheFourthNumber) {
    iasim::setValue(0, 2816, 42);
    int32_t order[4] = {1, 5, 3, 0};
    ia_ioctrl_v2(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_SET, order);  // does not change the answer
    int32_t record[4] = {1, 2, 3, -9};
    EXPECT_EQ(0, ia_ioctrl_v2(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, record));
    EXPECT_EQ(Words({1, 2, 3, 42}), Words(record, record + 4));
    EXPECT_EQ("0:2816/1 1 2 3 -> 42", lastCall());
}

TEST_F(IaSimTest, DynamicCommandListIsFilledAndCutAtSixteen) {
    struct {
        ia_dynamic_params_cmds_st list;
        int32_t guard;
    } buf;
    memset(&buf, 0x5A, sizeof(buf));
    iasim::setDynamicCommands(0, {16, 49});
    EXPECT_EQ(0, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &buf.list));
    EXPECT_EQ(2, buf.list.cmd_cnt);
    EXPECT_EQ(Words({16, 49}), Words(buf.list.cmd_list, buf.list.cmd_list + 2));
    EXPECT_EQ(0x5A5A5A5A, buf.list.cmd_list[2]);
    Words many = sequence(20, 100, 1);
    iasim::setDynamicCommands(0, many);
    ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &buf.list);
    EXPECT_EQ(20, buf.list.cmd_cnt);
    EXPECT_EQ(Words(many.begin(), many.begin() + 16),
              Words(buf.list.cmd_list, buf.list.cmd_list + 16));
    EXPECT_EQ(0x5A5A5A5A, buf.guard);
}

TEST_F(IaSimTest, VersionTextIsCutAtFiftyBytes) {
    struct Case {
        size_t length;
        size_t copied;  // bytes written, the terminator included when it fits
    } cases[] = {{0, 1}, {4, 5}, {49, 50}, {50, 50}, {60, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'v');
        iasim::setVersionText(0, text);
        char buf[IA_CAMERA_VER_LEN + 4];
        memset(buf, 'x', sizeof(buf));
        EXPECT_EQ(0, ia_ioctrl_v2(0, IA_CMD_CAMERA_VER_INFO, IA_CMD_OPT_GET, buf));
        std::string expected = text.substr(0, c.copied);
        expected.resize(c.copied, '\0');
        expected.append(sizeof(buf) - c.copied, 'x');
        EXPECT_EQ(expected, std::string(buf, sizeof(buf)));
    }
}

TEST_F(IaSimTest, ParamRangeFillsRecordAndCutsItemsAtSixtyFour) {
    struct {
        ia_dynamic_params_attr_st attr;
        int32_t guard;
    } buf;
    memset(&buf, 0x5A, sizeof(buf));
    iasim::setParamRange(0, 16, 0, 2, {0, 2, 5});
    EXPECT_EQ(0, ia_ioctrl_v2(0, cmdOf(16), IA_CMD_OPT_GET_PARAM_RNAGE, &buf.attr));
    EXPECT_EQ(Words({0, 2, 0, 0, 3}), Words(&buf.attr.param_type, &buf.attr.param_type + 5));
    EXPECT_EQ(Words({0, 2, 5}), Words(buf.attr.item, buf.attr.item + 3));
    EXPECT_EQ(0x5A5A5A5A, buf.attr.item[3]);
    Words many = sequence(70, 0, 3);
    iasim::setParamRange(0, 16, 1, 9, many);
    ia_ioctrl_v2(0, cmdOf(16), IA_CMD_OPT_GET_PARAM_RNAGE, &buf.attr);
    EXPECT_EQ(70, buf.attr.items_cnt);
    EXPECT_EQ(Words(many.begin(), many.begin() + 64), Words(buf.attr.item, buf.attr.item + 64));
    EXPECT_EQ(0x5A5A5A5A, buf.guard);
}

TEST_F(IaSimTest, ParamRangeOfUnrangedCommandFailsAndMovesNoData) {
    iasim::setParamRange(1, 16, 0, 2, {0, 2});  // another channel's range does not count
    ia_dynamic_params_attr_st attr, pattern;
    memset(&attr, 0x5A, sizeof(attr));
    memcpy(&pattern, &attr, sizeof(attr));
    EXPECT_NE(0, ia_ioctrl_v2(0, cmdOf(16), IA_CMD_OPT_GET_PARAM_RNAGE, &attr));
    EXPECT_EQ(0, memcmp(&pattern, &attr, sizeof(attr)));
    EXPECT_TRUE(iasim::calls().back().out.empty());
}

TEST_F(IaSimTest, CorrectKeepsAcceptedValuesAndReplacesOthers) {
    iasim::setParamRange(0, 16, 0, 2, {0, 2, 5});
    struct Case {
        uint32_t cmd;
        int32_t value, corrected;
    } cases[] = {{16, 5, 5}, {16, 0, 0}, {16, 3, 2}, {16, -1, 2}, {17, 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cmd << ":" << c.value);
        int32_t v = c.value;
        EXPECT_EQ(0, ia_ioctrl_v2(0, cmdOf(c.cmd), IA_CMD_OPT_CORRECT_PARAM, &v));
        EXPECT_EQ(c.corrected, v);
        EXPECT_EQ(describe({0, c.cmd, 3, {c.value}, {c.corrected}}), lastCall());
    }
}

TEST_F(IaSimTest, ExecStatusIsFinishedAndUnknownOptionFails) {
    int32_t v = 0;
    EXPECT_EQ(0, ia_ioctrl_v2(0, IA_CMD_LENS_RESET, IA_CMD_OPT_GET_EXEC_STATUS, &v));
    EXPECT_EQ(1, v);
    v = 7;
    EXPECT_NE(0, ia_ioctrl_v2(0, IA_CMD_LENS_RESET, static_cast<ia_cmd_opt_e>(5), &v));
    EXPECT_EQ(7, v);
    EXPECT_EQ("0:1616/5 ->", lastCall());
}

TEST_F(IaSimTest, NullDataFailsForEveryOptionAndIsLogged) {
    iasim::setParamRange(0, 16, 0, 2, {0, 2});
    for (uint32_t opt = 0; opt <= 4; ++opt) {
        SCOPED_TRACE(opt);
        EXPECT_NE(0, ia_ioctrl_v2(0, cmdOf(16), static_cast<ia_cmd_opt_e>(opt), nullptr));
        EXPECT_EQ(opt, iasim::calls().back().opt);
    }
    EXPECT_NE(0, ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, nullptr));
    EXPECT_EQ(6u, iasim::calls().size());
}

TEST_F(IaSimTest, FailingCommandMovesNoData) {
    set(0, 16, 3);
    iasim::failCommand(0, 16, -5);
    int32_t v = 99;
    EXPECT_EQ(-5, get(0, 16, v));
    EXPECT_EQ(99, v);
    EXPECT_EQ(-5, set(0, 16, 8));
    EXPECT_EQ(-5, ia_ioctrl_v2(0, cmdOf(16), IA_CMD_OPT_CORRECT_PARAM, &v));
    EXPECT_EQ(99, v);
    EXPECT_EQ("0:16/3 99 ->", lastCall());
    EXPECT_EQ(0, set(0, 17, 1));  // other commands and channels work on
    EXPECT_EQ(0, set(1, 16, 1));
    iasim::failCommand(0, 16, 0);
    EXPECT_EQ(3, getOr(0, 16, -1));  // the failed set stored nothing
}

TEST_F(IaSimTest, FaultsOfDifferentOptionsCoexistAndClearOneByOne) {
    iasim::failCommand(0, 16, -5, IA_CMD_OPT_SET);
    iasim::failCommand(0, 16, -6, IA_CMD_OPT_GET);
    int32_t v = 0;
    EXPECT_EQ(-5, set(0, 16, 1));
    EXPECT_EQ(-6, get(0, 16, v));
    EXPECT_EQ(0, ia_ioctrl_v2(0, cmdOf(16), IA_CMD_OPT_GET_EXEC_STATUS, &v));
    iasim::failCommand(0, 16, 0, IA_CMD_OPT_SET);
    EXPECT_EQ(0, set(0, 16, 1));
    EXPECT_EQ(-6, get(0, 16, v));
    iasim::failCommand(0, 16, 0, IA_CMD_OPT_GET);
    EXPECT_EQ(0, get(0, 16, v));
    EXPECT_EQ(1, v);
}

TEST_F(IaSimTest, CallLogKeepsOrderAndContents) {
    iasim::setValue(2, 49, 40);
    set(1, 16, 3);
    int32_t v = 0;
    get(2, 49, v);
    ia_dynamic_params_attr_st attr;
    iasim::setParamRange(0, 16, 0, 2, {0, 2});
    ia_ioctrl_v2(0, cmdOf(16), IA_CMD_OPT_GET_PARAM_RNAGE, &attr);
    std::vector<std::string> log;
    for (const iasim::Call& c : iasim::calls()) {
        log.push_back(describe(c));
    }
    EXPECT_EQ(std::vector<std::string>({"1:16/0 3 ->", "2:49/1 -> 40", "0:16/2 -> 0 2 0 0 2 0 2"}),
              log);
    iasim::clearCalls();
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_EQ(3, getOr(1, 16, -1));  // clearing the log keeps the values
}

TEST_F(IaSimTest, ResetForgetsEveryChannelsState) {
    set(0, 16, 3);
    iasim::setDayNightState(0, 1);
    iasim::setVersionText(0, "V1");
    iasim::setParamRange(0, 17, 0, 2, {2});
    iasim::failCommand(0, 18, -5);
    iasim::setDynamicCommands(0, {17});
    iasim::reset();
    EXPECT_TRUE(iasim::calls().empty());
    int32_t v = 0;
    EXPECT_FALSE(iasim::lastSet(0, 16, v));
    EXPECT_EQ(0, getOr(0, 16, -1));
    EXPECT_EQ(0, getOr(0, IA_CMD_DN_STATE, -1));
    EXPECT_EQ(0, set(0, 18, 1));
    ia_dynamic_params_attr_st attr;
    EXPECT_NE(0, ia_ioctrl_v2(0, cmdOf(17), IA_CMD_OPT_GET_PARAM_RNAGE, &attr));
    ia_dynamic_params_cmds_st list;
    ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list);
    EXPECT_EQ(0, list.cmd_cnt);
    char text[IA_CAMERA_VER_LEN] = "old";
    ia_ioctrl_v2(0, IA_CMD_CAMERA_VER_INFO, IA_CMD_OPT_GET, text);
    EXPECT_STREQ("", text);
}

TEST_F(IaSimTest, ConcurrentCallersAreAllServedAndLogged) {
    const int kThreads = 4;
    const int kRounds = 300;
    std::atomic<int> mismatches(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &mismatches] {
            for (int i = 0; i < kRounds; ++i) {
                int32_t v = i;
                ia_ioctrl_v2(t, cmdOf(16), IA_CMD_OPT_SET, &v);
                v = -1;
                ia_ioctrl_v2(t, cmdOf(16), IA_CMD_OPT_GET, &v);
                if (v != i) {
                    ++mismatches;  // each thread owns its channel: nobody else writes it
                }
                if (i % 50 == 0) {
                    iasim::calls();
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
