// The two text forms of parameters: pair text read into and written from
// key/value sets, key lists, and the host's text queries on a controller.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Reports.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"
#include "sensor/SensorKeyVal.h"

namespace {

const KeyVal kUntouched = {0xdeadu, -7};

std::string render(const KeyVal* records, u32 count) {
    std::ostringstream text;
    for (u32 i = 0; i < count; ++i) {
        text << "(" << static_cast<int32_t>(records[i].key) << "," << records[i].value << ")";
    }
    return text.str();
}

// Controllers on a sandbox disk: nothing here reads the camera's own paths.
class KeyValText : public ControllerFixture {};

}  // namespace

TEST(KeyValTextPairs, ReadsPairsInOrderSkippingJunkAndStoppingAtCapacity) {
    struct Case {
        const char* text;
        u32 capacity;
        const char* records;
    } cases[] = {
        {"(34,50)(2337,-1)", 8, "(34,50)(2337,-1)"},
        {"", 8, ""},
        {"abc", 8, ""},
        {"(1,2", 8, ""},
        {"(5,6)(", 8, "(5,6)"},
        {" (1, 2) junk (3,4)", 8, "(1,2)(3,4)"},
        {"(7)", 8, "(7,0)"},
        {"(1,2)(x,y)", 8, "(1,2)(1,2)"},
        {"(1,2)(3,4)(5,6)", 2, "(1,2)(3,4)"},
        {"))(1,2)", 8, "(1,2)(1,2)(1,2)"},  // each ")" ends a pair, also before its "("
        {"(1,2)", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<KeyVal> set(8, kUntouched);
        u32 count = 99;
        keyval_str2st_bounded(c.text, set.data(), &count, c.capacity);
        EXPECT_EQ(c.records, render(set.data(), count));
        ASSERT_LT(count, set.size());
        EXPECT_EQ(kUntouched.key, set[count].key);
    }
    KeyVal set[2] = {kUntouched, kUntouched};
    u32 count = 0;
    keyval_str2st("(99999999999999999999," + std::string(100000, '9') + ")", set, &count);
    EXPECT_EQ(1u, count);  // oversized numbers are still one pair
    EXPECT_EQ(kUntouched.key, set[1].key);
}

// The documented form has no bound of its own: a caller that gives room for
// every pair gets every pair, also beyond the controller's set.
TEST(KeyValTextPairs, ThreeArgumentFormReadsEveryPair) {
    const u32 kPairs = 400;
    std::string text;
    for (u32 i = 0; i < kPairs; ++i) {
        text += "(" + std::to_string(i) + "," + std::to_string(-static_cast<int>(i)) + ")";
    }
    std::vector<KeyVal> set(kPairs + 1, kUntouched);
    u32 count = 0;
    keyval_str2st(text, set.data(), &count);
    ASSERT_EQ(kPairs, count);
    EXPECT_EQ(text, render(set.data(), count));
    EXPECT_EQ(kUntouched.key, set[kPairs].key);
}

TEST(KeyValTextPairs, WritesPairsAfterWhatTheTextHolds) {
    KeyVal records[] = {{34, 50}, {2337, -1}};
    std::string text = "x";
    keyval_st2str(text, records, 0);
    EXPECT_EQ("x", text);
    keyval_st2str(text, records, 2);
    EXPECT_EQ("x(34,50)(2337,-1)", text);
}

TEST_F(KeyValText, CorrectionSkipsUnknownCommandsAndReadsAtMostSixteen) {
    std::vector<KeyVal> set;
    std::vector<int32_t> listed = {9999};  // not in the set: reported, then skipped
    for (u32 key = 1; key <= 20; ++key) {
        set.push_back(KeyVal{key, 9});
        listed.push_back(static_cast<int32_t>(key));
        iasim::setParamRange(0, key, 0, 4, {4});
    }
    iasim::setDynamicCommands(0, listed);
    std::string out = stdoutOf(
        [&] { EXPECT_EQ(0, keyval_correct(0, set.data(), static_cast<u32>(set.size()))); });

    size_t nReport = out.find(failed("-1 != index"));  // once: for 9999 alone
    EXPECT_NE(std::string::npos, nReport);
    EXPECT_EQ(std::string::npos, out.find(failed("-1 != index"), nReport + 1));
    for (u32 i = 0; i < set.size(); ++i) {
        EXPECT_EQ(i < 15 ? 4 : 9, set[i].value) << set[i].key;  // 9999 and 1..15 fill the list
    }
}

TEST_F(KeyValText, KeyListsParseOnlyWhenOneParenthesisedListIsTheWholeText) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<std::string> fields;
    } cases[] = {
        // clang-format off
        {"(34)", true, {"34"}},
        {"(34,2337)", true, {"34", "2337"}},
        {"(,5)", true, {"", "5"}},
        {"", false, {}},
        {"()", false, {}},
        {"(3", false, {}},
        {"x(3)", false, {}},
        {"(3)x", false, {}},
        {"(3)(4)", false, {}},
        // clang-format on
    };
    ISensorController controller;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> fields;
        EXPECT_EQ(c.ok, controller.parseSensorParameter(c.text, fields));
        EXPECT_EQ(c.fields, fields);
    }
}

TEST_F(KeyValText, GetParametersLeavesOutUnreadableKeysAndRefusesMalformedLists) {
    ISensorController& controller = start();
    iasim::failCommand(0, 9999, -1, IA_CMD_OPT_GET);
    std::string text = "old";
    std::string out = stdoutOf([&] { EXPECT_TRUE(controller.getParameters("(34,9999)", text)); });
    EXPECT_EQ("(34,50)", text);

    text = "keep";
    out = stdoutOf([&] { EXPECT_FALSE(controller.getParameters("34", text)); });
    EXPECT_EQ("keep", text);
    EXPECT_TRUE(contains(out, "getParameters fail p_strIds = 34 \n"));
}

TEST_F(KeyValText, GetAllParametersCorrectsTheCurrentSetAndAppendsIt) {
    ISensorController& controller = start();
    iasim::setDynamicCommands(0, {49});
    iasim::setParamRange(0, 49, 0, 4, {4, 6});  // the sample set holds 49 = 8
    std::string text = "x";
    stdoutOf([&] { EXPECT_TRUE(controller.getAllParameters(text)); });
    EXPECT_EQ(0u, text.find("x(8000,0)(8001,0)"));
    EXPECT_TRUE(contains(text, "(49,4)"));
    EXPECT_EQ(4, value(49));
}

TEST_F(KeyValText, SensorCheckReadsWithTwoWritesOtherwiseAndRefusesShortLists) {
    const struct {
        const char* text;
        int32_t fault;
        int opt;  // -1: the processor is not asked
        int ret;
        const char* result;  // the text after the call
    } cases[] = {
        {"(1,2,3)", 0, IA_CMD_OPT_GET, 0, "77"},
        {"(1,2,3)", -6, IA_CMD_OPT_GET, -6, "0"},  // a failed read answers its zeroed record
        {"(1,5,3)", 0, IA_CMD_OPT_SET, 0, "(1,5,3)"},
        {"(1,5,3)", -6, IA_CMD_OPT_SET, -6, "(1,5,3)"},
        {"(1,2)", 0, -1, 0, "(1,2)"},
    };
    ISensorController controller;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        iasim::reset();
        iasim::setValue(0, IA_CMD_SENSOR_CHECK, 77);
        iasim::failCommand(0, IA_CMD_SENSOR_CHECK, c.fault);
        std::string result = c.text;
        int ret = 1;
        std::string out = stdoutOf([&] { ret = controller.SensorCheck(result); });
        EXPECT_EQ(c.ret, ret);
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.opt < 0, contains(out, "getParameters fail p_strIds = (1,2) \n"));
        std::vector<iasim::Call> calls = iasim::calls();  // nothing else calls in
        ASSERT_EQ(c.opt < 0 ? 0u : 1u, calls.size());
        if (!calls.empty()) {
            EXPECT_EQ(IA_CMD_SENSOR_CHECK, calls[0].cmd);
            EXPECT_EQ(c.opt, static_cast<int>(calls[0].opt));
            ASSERT_GE(calls[0].in.size(), 3u);
            EXPECT_EQ(std::vector<int32_t>({1, c.text[3] - '0', 3}),
                      std::vector<int32_t>(calls[0].in.begin(), calls[0].in.begin() + 3));
        }
    }
}
