// The controller as the host drives it: what init finds on the disk and leaves
// there; its schemes and the sensor thread that chooses one on its own ticks;
// saving, restoring and resetting parameters, as the processor and the files
// show them; the direct lens, exposure and lamp controls; the set/get pipeline
// and the key-command map's lookup.
#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <thread>

#include "fixtures/ControllerTest.h"
#include "fixtures/Eventually.h"
#include "platform/HostSeams.h"
#include "platform/SensorZoomFocusParam.h"
#include "platform/ia_ioctrl.h"

namespace {

const char kVersionFile[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const Sets kAny = {{0, INT32_MIN}};
typedef std::vector<int> Ints;
typedef std::vector<std::string> Strings;
typedef std::vector<std::vector<int32_t>> Words;
typedef std::vector<RecordingVideoModule::Notification> Notes;

// One call and what it must cause: its result, the processor's sets (command,
// first word; kAny: not checked) and a key's value afterwards.
struct Step {
    const char* what;
    std::function<int()> call;
    int ret;
    Sets sets = kAny;
    int key = 0, value = 0;
};
#define CALL(expr) #expr, [&] { return static_cast<int>(expr); }

class ControllerLifecycleTest : public ControllerTest {
  protected:
    void run(const std::vector<Step>& steps) {
        for (const Step& s : steps) {
            SCOPED_TRACE(s.what);
            iasim::clearCalls();
            EXPECT_EQ(s.ret, s.call());
            EXPECT_EQ(s.sets, s.sets == kAny ? kAny : sent());
            EXPECT_EQ(s.value, s.key ? value(s.key) : s.value);
        }
    }
    int flush() { return ctl().flush(); }
    Strings files() const { return {schemeFile(0), schemeFile(1), schemeFile(2), schemeFile(3)}; }
    void lock(bool on) {
        SensorZoomFocusParam param;
        param.setLockZoomFocusEnable(on);
        ctl().setSensorZoomFocusParam(param);
    }
    bool range(int cmd) {
        bool ok = false;
        m_strOut = stdoutOf([&] { ok = ctl().getSensorParamRange(cmd, m_nDefault, m_strRange); });
        return ok;
    }
    int set(const std::string& text, bool save = true) {
        int ret = -1;
        m_strOut = stdoutOf([&] { ret = ctl().setParameters(text, save); });
        return ret;
    }
    // The words the processor was given with each set of cmd.
    static Words setsOf(uint32_t cmd) {
        Words words;
        for (const iasim::Call& call : iasim::calls())
            if (call.cmd == cmd && call.opt == IA_CMD_OPT_SET)
                words.push_back(call.in);
        return words;
    }
    std::string m_strOut, m_strRange;
    int m_nDefault = -9;
};
using SchemeTest = ControllerLifecycleTest;
using Pipeline = ControllerLifecycleTest;
using SensorThreadTest = ControllerLifecycleTest;
using RestoreReset = ControllerLifecycleTest;
using DirectControls = ControllerLifecycleTest;

}  // namespace

// --- lifecycle ----------------------------------------------------------------

// Beside the schemes of camera 1: a file of another channel
// and one that is no parameter file. Version 8 keeps them; version 7 or no
// version file deletes every parameter file.
TEST_F(ControllerLifecycleTest, OnlyTheCurrentVersionKeepsTheParameterFilesOfEveryChannel) {
    const std::string other = cfg(0, "sensor-thermal"), plain = "/mnt/mtd/code/config_file/x.cfg";
    for (char version : {8, 7, 0}) {
        const int kept = version == 8, brightness = kept ? 77 : kFactoryBrightness;
        start();
        stop();
        editScheme(0, 34, 77);
        version ? writeFile(kVersionFile, std::string(1, version) + std::string(3, '\0'))
                : removeTree(hostPath(kVersionFile));
        for (const std::string& path : {other, plain}) writeFile(path, "x");
        start();
        EXPECT_EQ(Ints({kept, 1, brightness, brightness}),
                  Ints({exists(other), exists(plain), value(34), lastSet(34)}))
            << static_cast<int>(version);
        EXPECT_EQ(std::string("\x08\0\0\0", 4), readFile(kVersionFile));
    }
    // init on a ready controller releases what the first init built (the
    // sanitizer build sees a leak or a double release) and starts afresh; after
    // uinit a new init reloads the files; a destroyed controller's thread stops.
    m_pController.reset(new ISensorController());
    run({{CALL(ctl().getSensorStatus()), false}, {CALL(ctl().notifyToVideo(34, 1)), 0}});
    start();
    ASSERT_EQ(0, apply("(34,61)(8000,2)"));  // day/night mode: every tick asks the processor
    ASSERT_EQ(0, flush());
    run({{CALL(ctl().init(moduleFor(1))), true, kAny, KEY_BRIGHTNESS, 61},
         {CALL(ctl().getSensorStatus()), true}});
    editScheme(0, 34, 62);
    run({{CALL((ctl().uinit(), ctl().uinit(), ctl().getSensorStatus())), false, kAny},
         {CALL(ctl().init(moduleFor(1))), true, kAny, KEY_BRIGHTNESS, 62},
         {CALL(ctl().getSensorStatus()), true, {}},
         {CALL(apply("(2337,12)")), 0, {{KEY_SATURATION, 12}}}});
    ASSERT_TRUE(eventually([] { return stateQueries() >= 2; }));
    stop();
    iasim::clearCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // five ticks
    EXPECT_TRUE(iasim::calls().empty());
}

// --- schemes ------------------------------------------------------------------

// Schemes 0 and 1 differ only in brightness; a switch sends only that. The factory row takes no
// recorded change: made current, every change of the session would be lost.
TEST_F(SchemeTest, SwitchSendsWhatTheSchemesDoNotShareUnlessForcedAndOnlyToUserSchemes) {
    start();
    ASSERT_TRUE(choose(1));
    ASSERT_EQ(0, apply("(34,77)"));
    run({{CALL(choose(0)), true, {{34, 50}}},
         {CALL(choose(0)), true, {}},
         {CALL(choose(1)), true, {{34, 77}}},
         {CALL(choose(0)), true, {{34, 50}}}});
    for (int outside : {-1, 4, 5})
        run({{CALL(choose(outside)), false, {}},
             {CALL(ctl().switch_to(outside)), 0, {}},
             {CALL(ctl().LPR_switch_to(outside)), 0, {}}});
    run({{CALL(scheme()), 0}, {CALL(apply("(34,33)")), 0, {{34, 33}}, 34, 33}});
    // Schemes 2 and 3 hold the empty window 0000-0000; the lowest scheme whose
    // window holds the time wins. A window that cannot hold a time is refused by
    // the check and by a save, which leaves the file.
    // window of scheme 0, hour, minute, scheme, schedule
    const int judgements[][6] = {
        {0, 2400, 23, 59, 0, 1}, {0, 0, 8, 0, 1, 1}, {0, 0, 17, 59, 1, 1}, {0, 0, 18, 0, 0, 0}};
    for (int s : {2, 3}) setWindow(s, 0, 0);
    setWindow(1, 800, 1800);
    for (const auto& j : judgements) {
        setWindow(0, j[0], j[1]);
        platform::setFakeClock(j[2], j[3]);
        int nScheme = -1, nSchedule = -1;
        EXPECT_EQ(0, ctl().judgeCurScheme(nScheme, nSchedule));
        EXPECT_EQ(Ints({j[4], j[5]}), Ints({nScheme, nSchedule})) << j[1];
    }
    const int checks[][3] = {{800, 1800, 0},    {2200, 600, 507}, {800, 800, 507},
                             {2401, 2400, 505}, {800, 2401, 506}, {630, 2400, 0}};
    for (const auto& c : checks) {
        setWindow(1, c[0], c[1]);
        const std::string before = schemeFile(1);
        run({{CALL(ctl().paramCheck()), c[2]}, {CALL(flush()), c[2]}});
        EXPECT_EQ(c[2] != 0, before == schemeFile(1)) << c[0] << "-" << c[1];
    }
}

// --- the sensor thread ---------------------------------------------------------

// Scheme 1 holds the night pairs; scheme 0 is current in the day/night mode.
TEST_F(SensorThreadTest, DayNightModeFollowsTheProcessorsStateWhileParamModeIsOn) {
    start();
    ASSERT_TRUE(choose(1));
    ASSERT_EQ(0, apply("(34,90)(2337,70)"));
    ASSERT_TRUE(choose(0));
    ASSERT_EQ(0, apply("(8000,2)"));
    ASSERT_TRUE(ctl().setParamMode(0));
    iasim::setDayNightState(0, 1);
    iasim::clearCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // ten ticks
    EXPECT_EQ(0, scheme());
    EXPECT_TRUE(iasim::calls().empty());  // not even the state is asked
    ASSERT_TRUE(ctl().setParamMode(1));
    EXPECT_TRUE(eventually([&] { return scheme() == 1; }));
    EXPECT_EQ(90, lastSet(KEY_BRIGHTNESS));
    iasim::setDayNightState(0, 0);
    EXPECT_TRUE(eventually([&] { return scheme() == 0; }));
    EXPECT_EQ(kFactoryBrightness, lastSet(KEY_BRIGHTNESS));
    // A state the processor does not answer counts as day.
    iasim::failCommand(0, IA_CMD_DN_STATE, -1, IA_CMD_OPT_GET), iasim::setDayNightState(0, 1);
    iasim::clearCalls();
    ASSERT_TRUE(eventually([] { return stateQueries() >= 3; }));
    EXPECT_EQ(0, scheme());
    iasim::failCommand(0, IA_CMD_DN_STATE, 0, IA_CMD_OPT_GET);
    // A switch the processor refused part-way is not done: ticks apply it again
    // until the processor holds the whole night set.
    iasim::failCommand(0, KEY_BRIGHTNESS, -1);
    iasim::setDayNightState(0, 1);
    ASSERT_TRUE(eventually([&] { return scheme() == 1; }));
    iasim::clearCalls();
    ASSERT_TRUE(eventually([] { return sent(0, KEY_BRIGHTNESS).size() >= 2; }));  // retried
    EXPECT_TRUE(sent(0, 2337).empty());  // nothing behind the refused pair
    iasim::failCommand(0, KEY_BRIGHTNESS, 0);
    EXPECT_TRUE(eventually([&] { return lastSet(2337) == 70 && lastSet(KEY_BRIGHTNESS) == 90; }));
    iasim::clearCalls();
    ASSERT_TRUE(eventually([] { return stateQueries() >= 3; }));
    EXPECT_TRUE(sent().empty());  // done: nothing more to apply
}

TEST_F(SensorThreadTest, ScheduleModeFollowsTheWindowOfScheme2) {
    start();
    for (int s : {1, 3, 0}) setWindow(s, 0, 0);
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
    KeyVals night = decodeSet(schemeFile(0));  // scheme 1 starts with the night defaults
    for (const KeyVal& n : KeyVals{{144, 0}, {49, 18}, {96, 1}, {161, 2}, {163, 40}})
        night = withValue(night, n.key, n.value);
    EXPECT_EQ(night, decodeSet(schemeFile(1)));
    for (int s : {2, 3, 0, 1}) setWindow(s, 0, 0);
    ASSERT_EQ(0, apply("(144,2)"));  // stored in scheme 1
    ASSERT_TRUE(choose(0));
    iasim::setDayNightState(0, 1);
    iasim::clearCalls();
    ASSERT_EQ(0, apply("(8000,1)"));
    EXPECT_TRUE(eventually([&] { return scheme() == 1; }));
    EXPECT_EQ(Sets({{144, 0}}), sent(0, 144));
    EXPECT_EQ(2, value(144));
    iasim::clearCalls();
    ASSERT_TRUE(eventually([] { return stateQueries() >= 3; }));
    EXPECT_TRUE(sent(0, 144).empty()) << "the night scheme in force is applied once";
}

// With one user scheme there is no night scheme: the factory row, which keeps
// no change, never comes into force.
TEST_F(SensorThreadTest, SingleUserSchemeStaysInForceAtNight) {
    seedMachine(1, "Hi3516AV200", "(max_scheme=1)(isInfrared=1)(lensType=1)(sensor=imx385)");
    start();
    ASSERT_EQ(0, apply("(8000,2)(144,1)"));
    iasim::setDayNightState(0, 1);
    ASSERT_TRUE(eventually([] { return stateQueries() >= 3; }));
    run({{CALL(scheme()), 0}, {CALL(apply("(34,33)")), 0, {{34, 33}}}, {CALL(flush()), 0}});
    EXPECT_EQ(33, valueIn(decodeSet(schemeFile(0)), KEY_BRIGHTNESS));
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
    const auto host = [&] {
        for (int value = 0; !stopHost;) m_pController->getParameter(KEY_BRIGHTNESS, value);
    };
    std::thread first(host), second(host);
    iasim::setDayNightState(0, 1);
    const bool switched = eventually([&] { return scheme() == 1; });
    stopHost = true;
    for (std::thread* thread : {&first, &second}) thread->join();
    EXPECT_TRUE(switched);
}

// --- saving, restoring and resetting -------------------------------------------

// Only a flush, or a mirror mode the processor took, saves, and only the current scheme.
TEST_F(RestoreReset, FlushAndMirrorModeWriteOnlyTheCurrentSchemeRecordByRecord) {
    start();
    Strings expected = files();
    ASSERT_EQ(0, apply("(34,77)(65,41)"));
    iasim::failCommand(0, IA_CMD_UI_MIRROR, -1);
    run({{CALL(ctl().setMirrorMode(1)), false, {{2384, 1}}}});
    EXPECT_EQ(expected, files());
    iasim::failCommand(0, IA_CMD_UI_MIRROR, 0);
    run({{CALL(ctl().setMirrorMode(1)), true, {{2384, 1}}},
         {CALL(choose(4)), false},  // the factory set is never current
         {CALL(apply("(34,78)")), 0}});
    expected[0] = with(with(with(expected[0], 34, 77), 65, 41), 2384, 1);
    EXPECT_EQ(expected, files());
    ASSERT_EQ(0, flush());
    expected[0] = with(expected[0], 34, 78);
    EXPECT_EQ(expected, files());
    EXPECT_FALSE(exists(cfg(4)));
}

// restore resends the recorded value; a key without one, or a controller with
// no current scheme, is refused. restoreAeMode stops at a failing focus mode.
// resetToLastParameters applies exactly the keys that differ from the file.
TEST_F(RestoreReset, RestoreAndResetToLastSendOnlyWhatTheFileHolds) {
    start();
    const std::string saved = schemeFile(0);
    ISensorController bare;
    run({{CALL(apply("(34,60)")), 0},
         {CALL(ctl().setParameter(KEY_BRIGHTNESS, 80, false)), 0, {{34, 80}}, 34, 60},
         {CALL(ctl().restore(KEY_BRIGHTNESS)), 0, {{34, 60}}, 34, 60},
         {CALL(ctl().restore(12)), -1, {}},
         {CALL(bare.restore(KEY_BRIGHTNESS)), -1, {}},
         {CALL(bare.paramCheck()), 0, {}},
         {CALL(set("(8000,2)")), 0, {}},  // the scheme mode is recorded, never sent
         {CALL(apply("(34,70)(65,30)(16,1)")), 0},
         {CALL(ctl().resetToLastParameters()), true, {{34, 50}, {16, 0}, {65, 60}}},
         {CALL(flush()), 0}});
    EXPECT_EQ(saved, schemeFile(0)) << "the set equals the file again";
    EXPECT_TRUE(contains(stdoutOf([&] { ctl().restore(12); }), "restore key(12) failed!"));
    iasim::failCommand(0, IA_CMD_AUTO_FOCUS_MODE, -1);
    run({{CALL(ctl().restoreAeMode()), false, {{1536, 0}}}});
    iasim::failCommand(0, IA_CMD_AUTO_FOCUS_MODE, 0);
    run({{CALL(ctl().restoreAeMode()), true, {{1536, 0}, {16, 0}}}});
}

// With the day/night mode stored, init chooses the night scheme before it
// returns; a reset then must not wait on the thread that switches.
TEST_F(RestoreReset, ResetWhileTheThreadSwitchesByDayAndNightDoesNotDeadlock) {
    start();
    apply("(8000,2)");
    flush();
    iasim::setDayNightState(0, 1);
    start();
    EXPECT_EQ(1, scheme());
    auto* reset = new std::future<bool>(
        std::async(std::launch::async, &ISensorController::resetParameters, &ctl()));
    if (reset->wait_for(std::chrono::seconds(20)) != std::future_status::ready)
        m_pController.release();  // both leaked: TearDown must not wait for a hung reset
    ASSERT_TRUE(m_pController != nullptr) << "resetParameters did not return";
    EXPECT_TRUE(reset->get());
    delete reset;
    EXPECT_EQ(Ints({0, 0}), Ints({scheme(), value(8000)}));
    apply("(8000,2)");
    EXPECT_TRUE(eventually([&] { return scheme() == 1; })) << "the restarted thread switches again";
}

// --- direct controls -----------------------------------------------------------

// Iris and focus steps set their mode first; a locked lens is left alone, its
// zoom ratio computed from the position given.
TEST_F(DirectControls, LensStepsSetTheirModeFirstAndALockedLensIsLeftAlone) {
    start();
    int nFocus = -5, nPos = 0, nRatio = 0;
    run({{CALL(ctl().zoomOut()), true, {{IA_CMD_ZOOM_OUT, 1}}},
         {CALL(ctl().setIrisValue(255)), true, {{16, 3}, {82, 256}}},
         {CALL(ctl().setIrisValue(25601)), true, {{16, 3}, {82, 1048576}}}});
    iasim::failCommand(0, IA_CMD_MZ_POSITION, -1, IA_CMD_OPT_GET);
    iasim::failCommand(0, IA_CMD_EXPOSE_MODE, -1);      // no iris command without the mode
    iasim::failCommand(0, IA_CMD_AUTO_FOCUS_MODE, -1);  // focus steps go on without manual focus
    iasim::failCommand(0, IA_CMD_FOCUS_NEAR, -1);
    run({{CALL(ctl().getZoomValue(nPos, nRatio)), false, {}},
         {CALL(ctl().irisUp()), false, {{16, 3}}},
         {CALL(ctl().focusFar()), true, {{1536, 1}, {1554, 1}}},
         {CALL(ctl().focusNear()), false, {{1536, 1}, {1553, 1}}}});
    iasim::reset();
    lock(true);
    iasim::setValue(0, IA_CMD_MF_POSITION, 123);
    nPos = 28000;
    EXPECT_TRUE(ctl().focusFar() && ctl().zoomIn() && ctl().getFocusValue(nFocus) &&
                ctl().getZoomValue(nPos, nRatio));
    EXPECT_EQ(Ints({-5, 28000, 3523, 0}),
              Ints({nFocus, nPos, nRatio, static_cast<int>(iasim::calls().size())}));
    run({{CALL(ctl().setPTZRunState(2)), true, {{1632, 2}}}});  // the PTZ state still goes through
    // The lens's positions of 1x to 16x; a position beyond 16x has no ratio.
    const int whole[] = {16384, 24576, 27264, 28672, 29056, 29440, 29728, 30016, 30208,
                         30400, 30560, 30720, 30912, 31104, 31232, 31424, 31425};
    for (int x = 1; x <= 17; ++x) {
        nPos = whole[x - 1], nRatio = -7;
        EXPECT_TRUE(ctl().getZoomValue(nPos, nRatio));
        EXPECT_EQ(x > 16 ? -7 : 1000 * x, nRatio) << nPos;
    }
}

// Switching one lamp on switches the other off first, as the processor reports it.
TEST_F(DirectControls, LampsAreNeverSwitchedOnTogether) {
    start();
    ASSERT_EQ(0, apply("(160,0)(170,1)"));
    run({{CALL(ctl().setIRSwitch(1)), true, {{168, 0}, {160, 1}}, 170, 0},
         {CALL(ctl().setIRSwitch(0)), true, {{160, 0}}},  // off never looks at white
         {CALL(ctl().setIRSwitch(1)), true, {{160, 1}}},  // white already off
         {CALL(ctl().setWhiteSwitch(1)), true, {{160, 0}, {168, 1}}, 160, 0}});
    EXPECT_EQ(1, value(170));
    iasim::failCommand(0, IA_CMD_WHITE_SWITCH, -1, IA_CMD_OPT_GET);
    run({{CALL(ctl().setIRSwitch(1)), false, {}}});
    // The version is read within fifty bytes; no user interface files.
    iasim::setVersionText(0, std::string(60, 'v'));
    std::string version = "old", refused = "old";
    EXPECT_TRUE(ctl().getCameraVerInf(version));
    iasim::failCommand(0, IA_CMD_CAMERA_VER_INFO, -1);
    EXPECT_FALSE(ctl().getCameraVerInf(refused));
    EXPECT_EQ(std::string(50, 'v') + "old", version + refused);
    for (int id : {0, 1, 2}) EXPECT_EQ("", ctl().getUICommonFile(id) + ctl().getUILanguageFile(id));
}

// The shutter steps through the sensor's list; a value off the list or an
// index beyond its first 30 items is refused.
TEST_F(DirectControls, ShutterStepsThroughTheValuesTheSensorAccepts) {
    start();
    iasim::setDynamicCommands(0, {49});
    iasim::setParamRange(0, 49, 0, 20, {10, 20, 40});
    iasim::setValue(0, IA_CMD_MAX_SHUTTER, 25);
    int nIndex = -1;
    run({{CALL(ctl().getShutterValue(nIndex)), false, {}}, {CALL(ctl().shutterUp()), false, {}}});
    iasim::setValue(0, IA_CMD_MAX_SHUTTER, 20);
    run({{CALL(ctl().getShutterValue(nIndex) ? nIndex : -2), 1, {}},
         {CALL(ctl().shutterUp()), true, {{49, 40}}, 49, 40},
         {CALL(ctl().shutterDown()), true, {{49, 20}}, 49, 20},
         {CALL(ctl().setShutterValue(-1)), false, {}},
         {CALL(ctl().setShutterValue(3)), false, {}}});
    // The range's list is appended to the text, up to 64 items.
    std::vector<int32_t> many;
    std::string first64 = "x";
    for (int i = 1; i <= 70; ++i) {
        many.push_back(i);
        first64 += i > 64 ? "" : (i > 1 ? " " : "") + std::to_string(i);
    }
    iasim::setParamRange(0, 49, 0, 2, many);
    run({{CALL(ctl().setShutterValue(29)), true, {{49, 30}}},
         {CALL(ctl().setShutterValue(30)), false, {}}});
    m_strRange = "x";
    EXPECT_TRUE(range(49));
    EXPECT_EQ(std::make_pair(2, first64), std::make_pair(m_nDefault, m_strRange));
    EXPECT_EQ("cmd=49 DefaltParam=2 strParamRange=" + first64 + "\n", m_strOut);
}

// A refusal leaves both outputs untouched.
TEST_F(DirectControls, ParamRangeListsTheValuesOrIsRefusedWithOutputsUntouched) {
    const std::pair<int, std::function<void()>> refusals[] = {
        {65, [] { iasim::setDynamicCommands(0, {65}); }},  // listed, yet not a list command
        {49, [] { iasim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -1); }},
        {1537, [this] { lock(true); }},
        {49, [] { iasim::setDynamicCommands(0, std::vector<int32_t>(20, 7)); }}};  // 16 read
    for (const auto& row : refusals) {
        iasim::reset();
        start();
        iasim::setDynamicCommands(0, {49, 1537});
        iasim::setParamRange(0, row.first, 0, 3, {1, 2, 3});
        row.second();
        m_strRange = "kept";
        EXPECT_FALSE(range(row.first)) << row.first;
        EXPECT_EQ(std::make_pair(-9, std::string("kept")), std::make_pair(m_nDefault, m_strRange));
    }
}

// --- the set/get pipeline ------------------------------------------------------

// A saved pair equal to the record is skipped; a text longer than the set
// applies only as many pairs as the set holds; a key without a map row is
// sent as its own command. A WDR change is bracketed by notifications of 2370
// (a refused one fails the change); the panorama save only tells the video
// module, which may refuse it.
TEST_F(Pipeline, UnchangedSavedPairsAreSkippedAndTheTextIsCutAtTheSetsSize) {
    start();
    m_objVideo.clearNotifications();
    run({{CALL(set("(34,50)")), 0, {}, 34, 50},
         {CALL(set("(34,50)", false)), 0, {{34, 50}}},
         {CALL(set("(12,5)", false)), 0, {{12, 5}}},
         {CALL(set("(9001,1)", false)), 0, {}}});
    EXPECT_EQ(Notes({{1, 9001, 1}}), m_objVideo.notifications());
    std::string all, text;
    ctl().getAllParameters(all);
    const size_t nSum = static_cast<size_t>(std::count(all.begin(), all.end(), '('));
    for (size_t i = 0; i < nSum + 3; ++i) text += "(34," + std::to_string(i) + ")";
    EXPECT_EQ(0, set(text, false));
    EXPECT_EQ(std::vector<int32_t>(1, static_cast<int32_t>(nSum - 1)), setsOf(34).back());
    EXPECT_EQ(nSum, setsOf(34).size());
    iasim::failCommand(0, IA_CMD_WDR_MODE, -9);
    m_objVideo.clearNotifications();
    run({{CALL(set("(2368,1)")), 0, {{2368, 1}}, 2368, 1}});
    EXPECT_EQ(Notes({{1, 2370, 0}, {1, 2368, 1}, {1, 2370, 1}}), m_objVideo.notifications());
    iasim::failCommand(0, IA_CMD_WDR_MODE, 0);
    m_objVideo.failNotifications(5);
    EXPECT_EQ(-2368, set("(2368,2)"));
    EXPECT_EQ(Words({{1}, {2}}), setsOf(2368));
    EXPECT_EQ(0, set("(9001,2)", false));
    EXPECT_TRUE(contains(m_strOut, failed("SNS_SUCCESS == notifyToVideo(nKey, nVal)")));
}

// The second of three pairs fails; only some failures are reported, and on
// camera 1 the mirror takes the map's road.
TEST_F(Pipeline, FailingHandlerStopsTheBatchWithItsNegatedKey) {
    const std::pair<int, int32_t> cases[] = {{2337, -3}, {2337, -1}, {2384, -7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        start();
        setSign("6\n");
        iasim::failCommand(0, c.first, c.second);
        const std::string k = std::to_string(c.first);
        run({{CALL(set("(34,1)(" + k + ",2)(2353,3)")), -c.first, {{34, 1}, {c.first, 2}}, 34, 1}});
        EXPECT_EQ(c.second == -1 ? 1u : 0u, countOf(m_strOut, " ~~~failed ia_ret="));
        EXPECT_EQ(c.second == -1, contains(m_strOut, "ia_cmd:" + k + " ~~~failed ia_ret=-1\n"));
        EXPECT_EQ(c.first == 2337 ? 128 : 0, value(c.first));
    }
}

// A controller without init answers from the processor, sends nothing and
// refuses the cache; an initialised one refuses scheme rows beyond its table.
TEST_F(Pipeline, CacheAccessNeverLeavesTheTable) {
    ISensorController bare;
    int nVal = 0;
    u32 nCached = 5;
    stdoutOf([&] { EXPECT_EQ(0, bare.setParameters("(34,1)", true)); });
    EXPECT_TRUE(iasim::calls().empty());
    iasim::setValue(0, KEY_BRIGHTNESS, 21);
    EXPECT_TRUE(bare.getParameter(KEY_BRIGHTNESS, nVal) && nVal == 21);
    EXPECT_EQ(Ints({-2, -1}), Ints({bare.setKeyValToCache(0, 34, 1, true),
                                    bare.getKeyValFromCache(0, 34, nCached)}));
    start();
    EXPECT_EQ(Ints({-2, -2, -1, 5}),
              Ints({ctl().setKeyValToCache(5, 34, 1, true), ctl().setKeyValToCache(4, 34, 1, false),
                    ctl().getKeyValFromCache(5, 34, nCached), static_cast<int>(nCached)}));
    const int nIndex = ctl().setKeyValToCache(4, KEY_BRIGHTNESS, 77, true);
    EXPECT_TRUE(nIndex >= 0 && nIndex == ctl().getKeyValFromCache(4, KEY_BRIGHTNESS, nCached));
    EXPECT_EQ(Ints({77, 50}), Ints({static_cast<int>(nCached), value(34)}));
}

// A key from the host may name a command whose data is a record: whatever the
// path, the processor gets a zeroed room that the largest record fits, with
// the value first (the sanitizer build sees any read or write past it). Every
// key of the map and every record command, set and read, alone and as the
// last pair of a full set. The map's lookup finds a key's row, never a spare
// zero-filled record, and misses a key without a row.
TEST_F(Pipeline, RecordCommandsGetAWholeZeroedRecordOnEveryPath) {
    start();
    std::vector<keycmd> rows(KEYCMD_ROWS + 3);
    buildKeyCmdMap(rows.data());
    keycmd row = keycmd();
    EXPECT_EQ(-1, ctl().findFromKeyCmdMap(rows.data(), 0, row));
    ASSERT_GE(ctl().findFromKeyCmdMap(rows.data(), KEY_IRIS_UP, row), 0);
    EXPECT_EQ("KEY_IRIS_UP &ISensorController::doIaCmd_User",
              std::string(row.name) + " " + row.func);
    std::vector<int> commands = {IA_CMD_SENSOR_CHECK,    IA_CMD_DYNAMIC_PARAMS_CMDS_GET,
                                 IA_CMD_CAMERA_VER_INFO, IA_CMD_DN_STATE,
                                 IA_CMD_DTN_THR,         IA_CMD_DTN_H};
    for (int i = 0; i < KEYCMD_ROWS; ++i) commands.push_back(rows[i].key);
    std::string all;
    ctl().getAllParameters(all);
    stdoutOf([&] {
        for (int cmd : commands) {
            int value = 7;
            ctl().setParameter(cmd, 7, false);
            ctl().getParameter(cmd, value);
            ctl().getCmdExecStatus(cmd, value);
        }
        ctl().setParameters(all.substr(0, all.rfind('(')) + "(2816,9)", false);  // the check last
    });
    EXPECT_EQ(Words({{7, 0, 0, 0}, {9, 0, 0, 0}}), setsOf(IA_CMD_SENSOR_CHECK));
}

// A day/night record goes out whole, its other fields from the cache. Beaway
// retells the mirror to the video module only; a hidden WDR or beaway records
// off and sends nothing. The thermal camera's mirror is recorded and told even
// when its processor refuses it.
TEST_F(Pipeline, DayNightMirrorWdrAndBeawayKeysTakeTheirOwnRoads) {
    start();
    const std::vector<std::vector<std::string>> records = {{"(146,60)", "(145,40)"},
                                                           {"(145,40)(146,60)", "(154,3)"},
                                                           {"(149,19)(150,5)(151,7)", "(152,30)"}};
    const Words sent[] = {{{40, 60, 0}}, {{0, 0, 3}}, {{19, 5, 7, 30}}};
    for (size_t i = 0; i < records.size(); ++i) {
        set(records[i][0]);
        iasim::clearCalls();
        EXPECT_EQ(0, set(records[i][1]));
        EXPECT_EQ(sent[i], setsOf(static_cast<uint32_t>(std::stoi(records[i][1].substr(1)))));
    }
    set("(2384,2)");
    m_objVideo.clearNotifications();
    run({{CALL(set("(2385,1)")), 0, {{2385, 1}}}, {CALL(set("(2385,0)")), 0, {{2385, 0}}}});
    EXPECT_EQ(Notes({{1, 2384, 1}, {1, 2385, 1}, {1, 2384, 2}, {1, 2385, 0}}),
              m_objVideo.notifications());
    ctl().setShowWDRFalg(false), ctl().setShowBeawayFalg(false);
    m_objVideo.clearNotifications();
    run({{CALL(set("(2368,1)(2385,1)")), 0, {}, 2368, 0}, {CALL(value(2385)), 0}});
    EXPECT_TRUE(m_objVideo.notifications().empty());
    seed("thermal");
    start("thermal", 2);
    iasim::failCommand(1, IA_CMD_UI_MIRROR, -7), iasim::clearCalls();
    m_objVideo.clearNotifications();
    EXPECT_EQ(0, set("(2384,1)(34,9)"));
    EXPECT_EQ(Words({{1}}), setsOf(2384));
    EXPECT_EQ(Ints({1, 9}), Ints({value(2384), value(34)}));
    EXPECT_EQ(Notes({{1, 2384, 1}}), m_objVideo.notifications());
}

// On a day/night camera of two schemes the day scheme's day/night keys are
// the night scheme's too.
TEST_F(Pipeline, DayNightKeysOfATwoSchemeCameraGoIntoItsNightScheme) {
    seedMachine(1, "Hi3516AV200", "(max_scheme=2)(isInfrared=1)(lensType=1)(sensor=imx385)");
    start();
    ASSERT_EQ(0, apply("(8000,2)(144,1)(145,33)(146,44)"));
    EXPECT_EQ((KeyVals{{144, 1}, {145, 33}, {146, 44}}),
              cachedSet(ctl(), 1, KeyVals{{144, 0}, {145, 0}, {146, 0}}));
}
