// The two text forms of parameters: pair text read into and written from
// key/value sets, key lists, and the host's text queries on a controller.
#include <gtest/gtest.h>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Reports.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"
#include "sensor/SensorKeyVal.h"

namespace {

// Controllers on a sandbox disk: nothing here reads the camera's own paths.
using KeyValText = ControllerFixture;

// Pair text read with a capacity (~0: the unbounded form), then written
// after "x": every pair in order, junk skipped, stopping at the capacity.
TEST(KeyValTextPairs, ReadsPairsInOrderWithinTheCapacityAndWritesThemBack) {
    std::string many, huge = "(99999999999999999999," + std::string(100000, '9') + ")";
    for (int i = 0; i < 400; ++i) many += "(" + std::to_string(i) + "," + std::to_string(-i) + ")";
    // Each ")" ends a pair, also one before its "("; numbers keep their low 32 bits.
    // clang-format off
    const struct { std::string text; u32 capacity; std::string written; } cases[] = {
        {"(34,50)(2337,-1)", 8, "(34,50)(2337,-1)"}, {"", 8, ""}, {"abc", 8, ""}, {"(1,2", 8, ""},
        {"(5,6)(", 8, "(5,6)"}, {"(5,6)()", 8, "(5,6)(5,6)"}, {" (1, 2) junk (3,4)", 8, "(1,2)(3,4)"}, {"(7)", 8, "(7,0)"},
        {"(1,2)(x,y)", 8, "(1,2)(1,2)"}, {"(-5,+3)", 8, "(-5,3)"}, {"(1,2)", 0, ""},
        {"(1,2)(3,4)(5,6)", 2, "(1,2)(3,4)"}, {"))(1,2)", 8, "(1,2)(1,2)(1,2)"},
        {huge, 8, "(1661992959,-1)"}, {many, ~0u, many}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        std::vector<KeyVal> set(401, KeyVal{0xdeadu, -7});
        u32 count = 999;
        c.capacity == ~0u ? keyval_str2st(c.text, set.data(), &count)
                          : keyval_str2st_bounded(c.text, set.data(), &count, c.capacity);
        std::string text = "x";
        keyval_st2str(text, set.data(), count);
        EXPECT_EQ("x" + c.written, text);
        EXPECT_EQ(0xdeadu, set.at(count).key) << "written past the pairs read";
    }
}

TEST_F(KeyValText, CorrectionSkipsUnknownCommandsAndReadsAtMostSixteen) {
    std::vector<KeyVal> set;
    std::vector<int32_t> listed = {9999};  // not in the set: reported, then skipped
    for (u32 key = 1; key <= 20; ++key)
        set.push_back(KeyVal{key, 9}), listed.push_back(key),
            iasim::setParamRange(0, key, 0, 4, {4});
    iasim::setDynamicCommands(0, listed);
    std::string out = stdoutOf([&] { EXPECT_EQ(0, keyval_correct(0, set.data(), 20)); });
    EXPECT_EQ(1u, countOf(out, failed("-1 != index"))) << "for 9999 alone";
    std::string values;  // 9999 and 1..15 fill the list of sixteen
    for (const KeyVal& record : set) values += std::to_string(record.value);
    EXPECT_EQ(std::string(15, '4') + std::string(5, '9'), values);
}

// A key list is one parenthesised list that is the whole text; a key that
// cannot be read is left out.
TEST_F(KeyValText, GetParametersReadsTheListedKeysAndRefusesMalformedLists) {
    ISensorController& controller = start();
    iasim::failCommand(0, 9999, -1, IA_CMD_OPT_GET);
    // A key list and the text after the query; "-": refused and left as it was.
    // clang-format off
    const char* cases[][2] = {{"(34,9999)", "(34,50)"}, {"(,34)", "(0,0)(34,50)"},
        {"", "-"}, {"()", "-"}, {"(34", "-"}, {"x(34)", "-"}, {"(34)x", "-"}, {"(34)(35)", "-"}};
    // clang-format on
    for (const auto& c : cases) {
        std::string text = "-";
        const std::string out = stdoutOf([&] { controller.getParameters(c[0], text); });
        EXPECT_EQ(c[1], text) << c[0];
        EXPECT_EQ(*c[1] == '-',
                  contains(out, "getParameters fail p_strIds = " + std::string(c[0]) + " \n"));
    }
    // The whole current set, corrected first, after what the text holds.
    // The sample set holds 49 = 8.
    iasim::setDynamicCommands(0, {49}), iasim::setParamRange(0, 49, 0, 4, {4, 6});
    std::string text = "x";
    stdoutOf([&] { EXPECT_TRUE(controller.getAllParameters(text)); });
    EXPECT_TRUE(text.find("x(8000,0)(8001,0)") == 0 && contains(text, "(49,4)")) << text;
    EXPECT_EQ(4, value(49));
}

// The sensor check reads with a 2 in its second field and writes otherwise;
// fewer than three fields never reach the processor.
TEST_F(KeyValText, SensorCheckReadsWithTwoWritesOtherwiseAndRefusesShortLists) {
    ISensorController controller;
    iasim::setValue(0, IA_CMD_SENSOR_CHECK, 77);
    const std::vector<std::vector<std::string>> cases = {
        {"(1,2,3)", "77", "1"}, {"(1,5,3)", "(1,5,3)", "0"}, {"(1,2)", "(1,2)", ""}};
    for (const auto& c : cases) {
        iasim::clearCalls();
        std::string text = c[0], options;
        stdoutOf([&] { controller.SensorCheck(text); });
        for (const iasim::Call& call : iasim::calls()) options += std::to_string(call.opt);
        EXPECT_EQ(c[1] + " " + c[2], text + " " + options) << c[0];
    }
}

}  // namespace
