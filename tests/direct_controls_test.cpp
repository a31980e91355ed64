// The direct lens, exposure and lamp controls and the user-interface files,
// as the processor and the host see them.
#include <gtest/gtest.h>
#include <stdint.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Reports.h"
#include "platform/SensorZoomFocusParam.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"
#include "sensor/StyleDocument.h"

namespace {

class DirectControls : public ControllerFixture {
  protected:
    ISensorController& c() { return *m_pController; }
    void begin() {
        start();
        iasim::clearCalls();
    }
    // Runs an operation that records or prints; what it printed is kept in m_strOut.
    bool quiet(const std::function<bool()>& op) {
        bool ok = false;
        m_strOut = stdoutOf([&] { ok = op(); });
        return ok;
    }
    void record(int key, int value) {
        quiet([&] { return c().setParameter(key, value, true) == 0; });
    }
    static Sets sets() { return processorSets(); }
    static size_t callsOf(uint32_t cmd, uint32_t opt) {
        size_t n = 0;
        for (const iasim::Call& call : iasim::calls()) {
            n += call.cmd == cmd && call.opt == opt;
        }
        return n;
    }
    void lock(bool on) {
        SensorZoomFocusParam param;
        param.setLockZoomFocusEnable(on);
        c().setSensorZoomFocusParam(param);
    }
    bool range(int cmd) {
        return quiet([&] { return c().getSensorParamRange(cmd, m_nDefault, m_strRange); });
    }
    std::string m_strOut, m_strRange;
    int m_nDefault = -9;
};

// The printed style's item with the given id, up to its end tag.
std::string itemText(const std::string& style, const std::string& id) {
    size_t from = style.find("<Item id=\"" + id + "\"");
    return from == std::string::npos ? "" : style.substr(from, style.find("</Item>", from) - from);
}

}  // namespace

TEST_F(DirectControls, ZoomRatioFollowsThePositionTable) {
    const int kUntouched = -7;
    const std::pair<int, int> rows[] = {{0, 1000},           {16384, 1000},      {20480, 1500},
                                        {24576, 2000},       {28000, 3523},      {31424, 16000},
                                        {31425, kUntouched}, {40000, kUntouched}};
    begin();
    for (const auto& row : rows) {
        iasim::setValue(0, IA_CMD_MZ_POSITION, row.first);
        int nPos = -1, nRatio = kUntouched;
        EXPECT_TRUE(c().getZoomValue(nPos, nRatio));
        EXPECT_EQ(row.first, nPos);
        EXPECT_EQ(row.second, nRatio) << "position " << row.first;
    }
    iasim::failCommand(0, IA_CMD_MZ_POSITION, -1, IA_CMD_OPT_GET);
    int nPos = 0, nRatio = 0;
    EXPECT_FALSE(c().getZoomValue(nPos, nRatio));
}

TEST_F(DirectControls, IrisAndFocusStepsSetTheirModeFirst) {
    const std::pair<int, int> clamps[] = {
        {0, 256}, {255, 256}, {256, 256}, {25600, 25600}, {25601, 1048576}};
    begin();
    for (const auto& row : clamps) {
        iasim::clearCalls();
        EXPECT_TRUE(c().setIrisValue(row.first));
        EXPECT_EQ(Sets({{16, 3}, {82, row.second}}), sets()) << "iris " << row.first;
    }
    iasim::clearCalls();
    EXPECT_TRUE(c().irisUp());
    EXPECT_TRUE(c().irisDown());
    EXPECT_EQ(Sets({{16, 3}, {83, 1}, {16, 3}, {84, 1}}), sets());
    iasim::failCommand(0, IA_CMD_EXPOSE_MODE, -1);
    iasim::clearCalls();
    EXPECT_FALSE(c().setIrisValue(512));
    EXPECT_FALSE(c().irisUp());
    EXPECT_FALSE(c().irisDown());
    EXPECT_EQ(Sets({{16, 3}, {16, 3}, {16, 3}}), sets()) << "no iris command without the mode";

    iasim::failCommand(0, IA_CMD_AUTO_FOCUS_MODE, -1);  // focus steps go on without manual focus
    iasim::clearCalls();
    EXPECT_TRUE(c().focusFar());
    EXPECT_TRUE(c().focusNear());
    EXPECT_EQ(Sets({{1536, 1}, {1554, 1}, {1536, 1}, {1553, 1}}), sets());
    iasim::failCommand(0, IA_CMD_FOCUS_FAR, -1);
    iasim::failCommand(0, IA_CMD_FOCUS_NEAR, -1);
    EXPECT_FALSE(c().focusFar());
    EXPECT_FALSE(c().focusNear());
}

TEST_F(DirectControls, LockedLensIsLeftAloneButThePtzStateStillReachesTheProcessor) {
    begin();
    lock(true);
    iasim::setValue(0, IA_CMD_MF_POSITION, 123);
    int nFocus = -5, nPos = 24576, nRatio = 0;
    EXPECT_TRUE(c().focusFar());
    EXPECT_TRUE(c().zoomIn());
    EXPECT_TRUE(c().getFocusValue(nFocus));
    EXPECT_TRUE(c().getZoomValue(nPos, nRatio));
    EXPECT_EQ(-5, nFocus);
    EXPECT_EQ(24576, nPos);
    EXPECT_EQ(2000, nRatio) << "computed from the position passed in";
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_TRUE(c().setPTZRunState(2));
    EXPECT_EQ(Sets({{1632, 2}}), sets());
    lock(false);
    EXPECT_TRUE(c().getFocusValue(nFocus));
    EXPECT_EQ(123, nFocus);
}

TEST_F(DirectControls, LampsAreNeverSwitchedOnTogether) {
    struct Row {
        int ir, white;  // recorded, and reported by the processor, before the call
        bool irOp;      // setIRSwitch, else setWhiteSwitch
        int arg;
        Sets sent;
        int irAfter, whiteAfter;
    };
    const Row rows[] = {
        {0, 1, true, 1, {{168, 0}, {160, 1}}, 1, 0},   // white goes off first
        {0, 0, true, 1, {{160, 1}}, 1, 0},             // white already off
        {1, 0, false, 1, {{160, 0}, {168, 1}}, 0, 1},  // and the other way round
        {1, 1, true, 0, {{160, 0}}, 0, 1},             // off never looks at white
    };
    begin();
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.ir << row.white << row.irOp << row.arg);
        record(160, row.ir);
        record(170, row.white);
        iasim::clearCalls();
        EXPECT_TRUE(quiet(
            [&] { return row.irOp ? c().setIRSwitch(row.arg) : c().setWhiteSwitch(row.arg); }));
        EXPECT_EQ(row.sent, sets());
        EXPECT_EQ(row.arg == 1, callsOf(row.irOp ? 168 : 160, IA_CMD_OPT_GET) == 1);
        EXPECT_EQ(row.irAfter, value(160));
        EXPECT_EQ(row.whiteAfter, value(170));
    }
    record(160, 0);
    iasim::failCommand(0, IA_CMD_WHITE_SWITCH, -1, IA_CMD_OPT_GET);
    iasim::clearCalls();
    EXPECT_FALSE(quiet([&] { return c().setIRSwitch(1); }));
    EXPECT_TRUE(sets().empty());
}

TEST_F(DirectControls, ShutterStepsThroughTheValuesTheSensorAccepts) {
    struct Row {
        int current;
        bool found;
        int index, up, down;  // recorded after the step; 8 (untouched) when not found
    };
    const Row rows[] = {
        {20, true, 1, 40, 10}, {40, true, 2, 40, 20}, {10, true, 0, 20, 10}, {25, false, -1, 8, 8}};
    begin();
    iasim::setDynamicCommands(0, {49});
    iasim::setParamRange(0, 49, 0, 20, {10, 20, 40});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.current);
        record(49, 8);
        iasim::setValue(0, IA_CMD_MAX_SHUTTER, row.current);
        int nIndex = -1;
        EXPECT_EQ(row.found, quiet([&] { return c().getShutterValue(nIndex); }));
        EXPECT_EQ(row.index, nIndex);
        EXPECT_EQ(row.found, quiet([&] { return c().shutterUp(); }));
        EXPECT_EQ(row.up, value(49));
        iasim::setValue(0, IA_CMD_MAX_SHUTTER, row.current);
        EXPECT_EQ(row.found, quiet([&] { return c().shutterDown(); }));
        EXPECT_EQ(row.down, value(49));
    }
    const std::pair<int, Sets> picks[] = {{-1, {}}, {0, {{49, 10}}}, {2, {{49, 40}}}, {3, {}}};
    for (const auto& pick : picks) {
        iasim::clearCalls();
        EXPECT_EQ(!pick.second.empty(), quiet([&] { return c().setShutterValue(pick.first); }));
        EXPECT_EQ(pick.second, sets()) << "index " << pick.first;
    }
    std::vector<int32_t> items;
    for (int i = 1; i <= 31; ++i) {
        items.push_back(100 + i);
    }
    iasim::setParamRange(0, 49, 0, 101, items);  // the list holds the first 30
    EXPECT_TRUE(quiet([&] { return c().setShutterValue(29); }));
    EXPECT_EQ(130, value(49));
    EXPECT_FALSE(quiet([&] { return c().setShutterValue(30); }));
}

TEST_F(DirectControls, ParamRangeIsRefusedWithOutputsUntouched) {
    struct Row {
        int cmd;
        size_t rangeQueries;
        std::function<void()> stage;
    };
    const Row rows[] = {
        {65, 0, [] { iasim::setDynamicCommands(0, {65}); }},  // listed, yet not a list command
        {49, 0, [] { iasim::setDynamicCommands(0, {82}); }},  // 49 not listed
        {49, 0, [] { iasim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -1); }},
        {49, 1, [] { iasim::failCommand(0, IA_CMD_MAX_SHUTTER, -1, IA_CMD_OPT_GET_PARAM_RNAGE); }},
        {1537, 0, [this] { lock(true); }},
    };
    for (const Row& row : rows) {
        iasim::reset();
        begin();
        iasim::setDynamicCommands(0, {49, 1537});
        iasim::setParamRange(0, row.cmd, 0, 3, {1, 2, 3});
        row.stage();
        m_strRange = "kept";
        EXPECT_FALSE(range(row.cmd)) << "command " << row.cmd;
        EXPECT_EQ(-9, m_nDefault);
        EXPECT_EQ("kept", m_strRange);
        EXPECT_EQ(row.rangeQueries, callsOf(row.cmd, IA_CMD_OPT_GET_PARAM_RNAGE));
    }
}

TEST_F(DirectControls, ParamRangeAppendsTheListedValuesAndPrintsThem) {
    begin();
    iasim::setDynamicCommands(0, {49});
    iasim::setParamRange(0, 49, 0, 2, {1, 2, 3});
    EXPECT_TRUE(range(49));
    EXPECT_EQ("1 2 3", m_strRange);
    EXPECT_EQ(2, m_nDefault);
    EXPECT_EQ("cmd=49 DefaltParam=2 strParamRange=1 2 3\n", m_strOut);
    EXPECT_TRUE(range(49));
    EXPECT_EQ("1 2 31 2 3", m_strRange) << "the text is not cleared first";

    iasim::setParamRange(0, 49, 0, 5, {});
    m_strRange.clear();
    EXPECT_TRUE(range(49));
    EXPECT_EQ(5, m_nDefault);
    EXPECT_EQ("cmd=49 DefaltParam=5 strParamRange=\n", m_strOut);

    iasim::setParamRange(0, 49, 1, 7, {1});
    m_strRange = "kept";
    EXPECT_TRUE(range(49)) << "a range that is no list leaves both untouched";
    EXPECT_EQ(5, m_nDefault);
    EXPECT_EQ("kept", m_strRange);

    std::vector<int32_t> items;
    std::string first64;
    for (int i = 1; i <= 70; ++i) {
        items.push_back(i);
        first64 += i > 64 ? "" : (i > 1 ? " " : "") + std::to_string(i);
    }
    iasim::setParamRange(0, 49, 0, 1, items);
    m_strRange.clear();
    EXPECT_TRUE(range(49));
    EXPECT_EQ(first64, m_strRange);
}

TEST_F(DirectControls, CameraVersionIsReadWithinFiftyBytes) {
    begin();
    for (size_t length : {10u, 49u, 50u, 60u}) {
        iasim::setVersionText(0, std::string(length, 'v'));
        std::string version = "old";
        EXPECT_TRUE(c().getCameraVerInf(version));
        EXPECT_EQ(std::string(std::min<size_t>(length, 50), 'v'), version) << length;
    }
    iasim::failCommand(0, IA_CMD_CAMERA_VER_INFO, -1);
    std::string version = "old";
    EXPECT_FALSE(c().getCameraVerInf(version));
    EXPECT_EQ("old", version);
}

TEST_F(DirectControls, StyleFileIsTailoredToTheSensorAndLanguageFilesAreEmpty) {
    begin();
    std::string full;
    stdoutOf([&] { full = c().getUIStyleFile(); });
    EXPECT_EQ(30u, countOf(itemText(full, "49"), "<Option"));

    iasim::setDynamicCommands(0, {49});
    iasim::setParamRange(0, 49, 0, 10, {9, 10, 18});
    std::string text;
    stdoutOf([&] { text = c().getUIStyleFile(); });
    StyleDocument tailored;
    EXPECT_TRUE(tailored.LoadMem(text.c_str(), TIXML_ENCODING_UTF8)) << text;
    const std::string shutter = itemText(text, "49");
    EXPECT_TRUE(contains(shutter, "value=\"10\"")) << shutter;
    EXPECT_EQ(3u, countOf(shutter, "<Option"));
    for (const char* kept : {"index=\"9\"", "index=\"10\"", "index=\"18\""}) {
        EXPECT_TRUE(contains(shutter, kept)) << kept;
    }
    EXPECT_EQ(itemText(full, "50"), itemText(text, "50"));

    for (int id : {0, 1, 2}) {
        EXPECT_EQ("", c().getUICommonFile(id));
        EXPECT_EQ("", c().getUILanguageFile(id));
    }
}
