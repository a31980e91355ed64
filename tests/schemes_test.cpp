// Schemes: switching from one to another, the time windows that choose one,
// and the checks a window must pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "fixtures/ControllerTest.h"
#include "fixtures/Reports.h"
#include "platform/HostSeams.h"
#include "platform/ia_sim.h"
#include "sensor/ISensorController.h"

namespace {

class SchemeTest : public ControllerTest {};

// clang-format off
// Schemes 0 and 1 differ only in brightness; scheme 0 is current.
struct SwitchCase { const char* name; int to; bool force; bool exactly; Sets sets; };
const SwitchCase kSwitches[] = {
    {"ToOtherSendsTheDifference", 1, false, true,  {{34, 77}}},
    {"ToCurrentSendsNothing",     0, false, true,  {}},
    {"ForcedSendsEveryKey",       1, true,  false, {{34, 77}, {2337, 128}, {2353, 128}, {2321, 128}}},
};

// Schemes 2 and 3 hold the empty window 0000-0000.
struct JudgeCase { int window0[2]; int window1[2]; int hour, minute; int scheme, schedule; };
const JudgeCase kJudgements[] = {
    {{0, 2400}, {800, 1800},  0,  0, 0, 1},
    {{0, 2400}, {800, 1800}, 12,  0, 0, 1},
    {{0, 2400}, {800, 1800}, 23, 59, 0, 1},
    {{0,    0}, {800, 1800},  8,  0, 1, 1},
    {{0,    0}, {800, 1800}, 17, 59, 1, 1},
    {{0,    0}, {800, 1800}, 18,  0, 0, 0},
    {{0,    0}, {800, 1800},  7, 59, 0, 0},
};

struct CheckCase { int start, end, result; };
const CheckCase kChecks[] = {
    {   0, 2400,   0},
    { 800, 1800,   0},
    {2200,  600, 507},
    { 800,  800, 507},
    {2401, 2400, 505},
    {2500, 2400, 505},
    { 800, 2401, 506},
    {2400, 2400, 507},
    {2400, 2500, 506},
};
// clang-format on

void PrintTo(const SwitchCase& c, std::ostream* os) {
    *os << c.name << ": to scheme " << c.to << (c.force ? ", forced" : "");
}

}  // namespace

using SwitchTest = CaseTest<SwitchCase>;

TEST_P(SwitchTest, SwitchSendsWhatTheSchemesDoNotShareUnlessForced) {
    const SwitchCase& c = GetParam();
    start();
    ASSERT_TRUE(choose(1));
    ASSERT_EQ(0, apply("(34,77)"));
    ASSERT_TRUE(choose(0));
    iasim::clearCalls();
    if (c.force) {
        stdoutOf([&] { EXPECT_EQ(0, ctl().switch_to(c.to, true)); });
    } else {
        EXPECT_TRUE(choose(c.to));
    }
    EXPECT_EQ(c.to, scheme());
    Sets sets = sent();
    if (c.exactly) {
        EXPECT_EQ(c.sets, sets);
    }
    for (const auto& set : c.sets) {
        EXPECT_NE(sets.end(), std::find(sets.begin(), sets.end(), set)) << set.first;
    }
}

INSTANTIATE_TEST_SUITE_P(Scheme, SwitchTest, testing::ValuesIn(kSwitches), CaseName());

// The factory row takes no recorded change: made current, every change of
// the session would be lost while flush answered 0.
TEST_F(SchemeTest, OnlyUserSchemesCanBeMadeCurrent) {
    start();
    ASSERT_EQ(0, apply("(34,77)"));
    iasim::clearCalls();
    for (int outside : {-1, 4, 5, 99}) {
        EXPECT_FALSE(choose(outside)) << outside;
        EXPECT_EQ(0, ctl().switch_to(outside));
        EXPECT_EQ(0, ctl().LPR_switch_to(outside));
    }
    EXPECT_EQ(0, scheme());
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(0, apply("(34,33)"));
    EXPECT_EQ(33, value(34));
}

TEST_F(SchemeTest, LowestSchemeWhoseWindowHoldsTheTimeWins) {
    start();
    setWindow(2, 0, 0);
    setWindow(3, 0, 0);
    for (const JudgeCase& c : kJudgements) {
        SCOPED_TRACE(testing::Message()
                     << "scheme 0 ends " << c.window0[1] << ", " << c.hour << ":" << c.minute);
        setWindow(1, c.window1[0], c.window1[1]);
        setWindow(0, c.window0[0], c.window0[1]);
        platform::setFakeClock(c.hour, c.minute);
        int nScheme = -1;
        int nSchedule = -1;
        EXPECT_EQ(0, ctl().judgeCurScheme(nScheme, nSchedule));
        EXPECT_EQ(c.scheme, nScheme);
        EXPECT_EQ(c.schedule, nSchedule);
    }
}

TEST_F(SchemeTest, ParamCheckRefusesWindowsThatCannotHoldATime) {
    start();
    for (const CheckCase& c : kChecks) {
        SCOPED_TRACE(testing::Message() << c.start << "-" << c.end);
        setWindow(1, c.start, c.end);
        EXPECT_EQ(c.result, ctl().paramCheck());
    }
}
