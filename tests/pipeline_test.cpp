// The set/get pipeline as the processor and the video module see it: which
// pairs are applied, how they are recorded, and what the handlers send.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Reports.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"

namespace {

typedef RecordingVideoModule::Notification Note;
typedef std::vector<std::vector<int32_t>> Records;

const u32 kSchemeSum = 4;  // the sample modules ask for four schemes

// Notes, for each notification, whether the processor had been given the key.
class OrderingVideo : public RecordingVideoModule {
  public:
    int notifySensorChange(int channel, int key, int value) const override {
        bool heard = false;
        for (const iasim::Call& call : iasim::calls()) {
            heard = heard || call.cmd == static_cast<uint32_t>(key);
        }
        m_vecProcessorFirst.push_back(heard);
        return RecordingVideoModule::notifySensorChange(channel, key, value);
    }
    mutable std::vector<bool> m_vecProcessorFirst;
};

class Pipeline : public ControllerFixture {
  protected:
    ISensorController& begin(const std::string& family = "box", int camera = 1) {
        ISensorController& controller = start(family, camera);
        iasim::clearCalls();
        m_objVideo.clearNotifications();
        return controller;
    }
    int set(const std::string& text, bool save = true) {
        testing::internal::CaptureStdout();
        int ret = m_pController->setParameters(text, save);
        m_strOut = testing::internal::GetCapturedStdout();
        return ret;
    }
    // What the processor was given with each set of cmd on the controller's channel.
    Records setsOf(uint32_t cmd, uint32_t opt = IA_CMD_OPT_SET) const {
        Records records;
        for (const iasim::Call& call : iasim::calls()) {
            if (call.ch == m_nCamera - 1 && call.cmd == cmd && call.opt == opt) {
                records.push_back(call.in);
            }
        }
        return records;
    }
    int cached(u32 scheme, u32 key) {
        u32 nVal = 0xffffffffu;
        m_pController->getKeyValFromCache(scheme, key, nVal);
        return static_cast<int>(nVal);
    }
    std::string m_strOut;
};

}  // namespace

TEST_F(Pipeline, UnchangedPairIsSkippedOnlyWhenRecording) {
    begin();
    EXPECT_EQ(0, set("(34,50)", true));
    EXPECT_TRUE(setsOf(34).empty());
    EXPECT_EQ(0, set("(34,50)", false));
    EXPECT_EQ(Records({{50}}), setsOf(34));
}

TEST_F(Pipeline, TextWithMorePairsThanTheSetHoldsAppliesOnlyThatMany) {
    begin();
    std::string all;
    stdoutOf([&] { m_pController->getAllParameters(all); });
    size_t nSum = static_cast<size_t>(std::count(all.begin(), all.end(), '('));
    std::string text;
    for (size_t i = 0; i < nSum + 3; ++i) {
        text += "(34," + std::to_string(i) + ")";
    }
    iasim::clearCalls();
    EXPECT_EQ(0, set(text, false));
    Records sent = setsOf(34);
    ASSERT_EQ(nSum, sent.size());
    EXPECT_EQ(static_cast<int32_t>(nSum - 1), sent.back()[0]);
}

TEST_F(Pipeline, LightTypeTwoPutsThePartnerKeyInForce) {
    begin();
    set("(224,2)");
    EXPECT_EQ(0, set("(161,1)"));
    EXPECT_TRUE(setsOf(161).empty());
    EXPECT_EQ(0, value(161));
    EXPECT_EQ(0, set("(168,1)"));
    EXPECT_EQ(Records({{1}}), setsOf(161));
    EXPECT_EQ(1, value(168));
    EXPECT_EQ(1, value(161));
}

TEST_F(Pipeline, OtherLightTypesApplyThePrimaryAndCopyItIntoThePartner) {
    begin();
    EXPECT_EQ(0, set("(163,40)", false));
    EXPECT_EQ(Records({{40}}), setsOf(163));
    EXPECT_EQ(40, value(200));
    EXPECT_EQ(50, value(163));  // not recorded without save
    EXPECT_EQ(0, set("(200,7)"));
    EXPECT_EQ(40, value(200));
    EXPECT_EQ(Records({{40}}), setsOf(163));
}

TEST_F(Pipeline, SchemeModeSetInSchemeZeroReachesTheOtherSchemes) {
    const struct {
        const char* text;
        int others;
        int own;
    } cases[] = {
        {"(8000,2)", 2, 2},
        {"(8000,7)", 0, 7},
    };
    begin();
    for (const auto& c : cases) {
        EXPECT_EQ(0, set(c.text));
        for (u32 s = 1; s < kSchemeSum; ++s) {
            EXPECT_EQ(c.others, cached(s, 8000)) << c.text << s;
        }
        EXPECT_EQ(c.own, value(8000));
    }

    stdoutOf([&] { m_pController->setParamScheme(1); });
    EXPECT_EQ(0, set("(8000,2)"));
    EXPECT_EQ(2, cached(1, 8000));
    EXPECT_EQ(0, cached(2, 8000));
    EXPECT_EQ(7, cached(0, 8000));
}

TEST_F(Pipeline, DayNightKeysAreAppliedOnlyInTheDayScheme) {
    begin();
    set("(8000,2)");
    EXPECT_EQ(0, set("(145,30)"));
    EXPECT_EQ(Records({{30, 50, 0}}), setsOf(145));
    EXPECT_EQ(30, cached(1, 145));

    iasim::setDayNightState(0, 1);
    stdoutOf([&] { m_pController->setParamScheme(1); });
    iasim::clearCalls();
    EXPECT_EQ(0, set("(145,35)"));
    EXPECT_TRUE(setsOf(145).empty());
    EXPECT_EQ(35, cached(1, 145));
    EXPECT_EQ(30, cached(0, 145));
}

TEST_F(Pipeline, ThermalMirrorIsRecordedEvenWhenTheProcessorFails) {
    begin("thermal", 2);
    iasim::failCommand(1, IA_CMD_UI_MIRROR, -7);
    EXPECT_EQ(0, set("(2384,1)(34,9)"));
    EXPECT_EQ(Records({{1}}), setsOf(2384));
    EXPECT_EQ(std::vector<Note>({{1, 2384, 1}}), m_objVideo.notifications());
    EXPECT_EQ(1, value(2384));
    EXPECT_EQ(9, value(34));
}

// The second of three pairs fails; on camera 1 the mirror takes the map's road.
TEST_F(Pipeline, FailingHandlerStopsTheBatchWithItsNegatedKey) {
    const struct {
        u32 key;
        int before;
        int32_t fault;
        bool reported;
    } cases[] = {{2337, 128, -3, false},
                 {2337, 128, -1, true},
                 {2337, 128, -4, true},
                 {2337, 128, -5, true},
                 {2384, 0, -7, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        begin();
        setSign("6\n");
        iasim::failCommand(0, c.key, c.fault);
        std::string key = std::to_string(c.key);
        EXPECT_EQ(-static_cast<int>(c.key), set("(34,1)(" + key + ",2)(2353,3)"));
        EXPECT_EQ(Records({{1}}), setsOf(34));
        EXPECT_TRUE(setsOf(2353).empty());
        std::string line = "ia_cmd:" + key + " ~~~failed ia_ret=" + std::to_string(c.fault) + "\n";
        EXPECT_EQ(c.reported, contains(m_strOut, line));
        EXPECT_EQ(c.reported, contains(m_strOut, "[sensor err]"));
        EXPECT_EQ(1, value(34));
        EXPECT_EQ(c.before, value(static_cast<int>(c.key)));
    }
}

TEST_F(Pipeline, KeyWithoutMapRowIsReportedAndSentAsItsOwnCommand) {
    begin();
    EXPECT_EQ(0, set("(12,5)", false));
    EXPECT_TRUE(
        contains(m_strOut, failed("-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)")));
    EXPECT_EQ(Records({{5}}), setsOf(12));
}

TEST_F(Pipeline, MissingLampKeysReadAsMinusOneOthersAskTheProcessor) {
    ISensorController& controller = begin("thermal", 2);  // its set holds neither 161 nor 162
    iasim::setValue(1, KEY_IR_AUTO_STRG_NEAR, 33);
    int nVal = 0;
    EXPECT_TRUE(controller.getParameter(KEY_IR_MODE, nVal));
    EXPECT_EQ(-1, nVal);
    EXPECT_TRUE(setsOf(161, IA_CMD_OPT_GET).empty());
    EXPECT_TRUE(controller.getParameter(KEY_IR_AUTO_STRG_NEAR, nVal));
    EXPECT_EQ(33, nVal);
}

TEST_F(Pipeline, ControllerWithoutInitAnswersWithoutTouchingItsTables) {
    ISensorController controller;
    stdoutOf([&] { EXPECT_EQ(0, controller.setParameters("(34,1)", true)); });
    EXPECT_TRUE(iasim::calls().empty());
    stdoutOf([&] { EXPECT_EQ(0, controller.setParameter(KEY_BRIGHTNESS, 1, true)); });
    iasim::setValue(0, KEY_BRIGHTNESS, 21);
    int nVal = 0;
    EXPECT_TRUE(controller.getParameter(KEY_BRIGHTNESS, nVal));
    EXPECT_EQ(21, nVal);
    std::string text = "x";
    EXPECT_TRUE(controller.getAllParameters(text));
    EXPECT_EQ("x", text);
    u32 nCached = 5;
    EXPECT_EQ(-2, controller.setKeyValToCache(0, KEY_BRIGHTNESS, 1, true));
    EXPECT_EQ(-1, controller.getKeyValFromCache(0, KEY_BRIGHTNESS, nCached));
    EXPECT_EQ(5u, nCached);
}

TEST_F(Pipeline, HiddenWdrAndBeawayRecordOffAndSendNothing) {
    const struct {
        u32 key;
        void (ISensorController::*hide)(bool);
    } cases[] = {
        {2368, &ISensorController::setShowWDRFalg},
        {2385, &ISensorController::setShowBeawayFalg},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ISensorController& controller = begin();
        controller.setKeyValToCache(0, c.key, 7, false);
        (controller.*c.hide)(false);
        EXPECT_EQ(0, set("(" + std::to_string(c.key) + ",1)"));
        EXPECT_TRUE(setsOf(c.key).empty());
        EXPECT_TRUE(m_objVideo.notifications().empty());
        EXPECT_EQ(0, value(static_cast<int>(c.key)));
    }
    bool bShown = true;
    ISensorController other;
    EXPECT_TRUE(other.getShowBeawayFalg(bShown));
    EXPECT_FALSE(bShown);
}

TEST_F(Pipeline, WdrChangeIsBracketedAndAnswersWithItsOwnNotification) {
    begin();
    iasim::failCommand(0, IA_CMD_WDR_MODE, -9);
    EXPECT_EQ(0, set("(2368,1)"));
    EXPECT_TRUE(contains(m_strOut, failed("SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)")));
    EXPECT_EQ(std::vector<Note>({{1, 2370, 0}, {1, 2368, 1}, {1, 2370, 1}}),
              m_objVideo.notifications());
    EXPECT_EQ(1, value(2368));

    iasim::failCommand(0, IA_CMD_WDR_MODE, 0);
    m_objVideo.failNotifications(5);
    EXPECT_EQ(-2368, set("(2368,2)"));
    EXPECT_EQ(Records({{1}, {2}}), setsOf(2368));
}

TEST_F(Pipeline, PanoramaSaveOnlyTellsTheVideoModule) {
    begin();
    EXPECT_EQ(0, set("(9001,1)", false));
    EXPECT_TRUE(setsOf(9001).empty());
    EXPECT_EQ(std::vector<Note>({{1, 9001, 1}}), m_objVideo.notifications());
    m_objVideo.failNotifications(5);
    EXPECT_EQ(0, set("(9001,2)", false));
    EXPECT_TRUE(contains(m_strOut, failed("SNS_SUCCESS == notifyToVideo(nKey, nVal)")));
}

TEST_F(Pipeline, AntiShakeTellsTheVideoModuleFirstImageAdjustLast) {
    const struct {
        u32 key;
        bool processorFirst;
        int whenProcessorFails;
        int whenVideoFails;
    } cases[] = {
        {2416, false, -2416, 0},
        {2436, true, 0, -2436},
    };
    ISensorController& controller = begin();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        OrderingVideo video;
        controller.setVideoStreamModule(&video);
        std::string text = "(" + std::to_string(c.key) + ",1)";
        EXPECT_EQ(0, set(text, false));
        EXPECT_EQ(std::vector<bool>({c.processorFirst}), video.m_vecProcessorFirst);
        iasim::failCommand(0, c.key, -3);
        EXPECT_EQ(c.whenProcessorFails, set(text, false));
        iasim::failCommand(0, c.key, 0);
        video.failNotifications(5);
        EXPECT_EQ(c.whenVideoFails, set(text, false));
        controller.setVideoStreamModule(&m_objVideo);
    }
}

TEST_F(Pipeline, DayNightRecordsAreCompletedFromTheCache) {
    const struct {
        const char* cached;
        const char* text;
        uint32_t cmd;
        std::vector<int32_t> record;
    } cases[] = {
        {"(146,60)", "(145,40)", 145, {40, 60, 0}},
        {"(145,40)(146,60)", "(154,3)", 154, {0, 0, 3}},
        {"(149,19)(150,5)(151,7)", "(152,30)", 152, {19, 5, 7, 30}},
    };
    begin();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        set(c.cached);
        iasim::clearCalls();
        EXPECT_EQ(0, set(c.text));
        EXPECT_EQ(Records({c.record}), setsOf(c.cmd));
    }
}

TEST_F(Pipeline, MirrorIsTranslatedUnderBeawayButCachedAsSet) {
    ISensorController& controller = begin();
    set("(2385,1)");
    for (const auto& c : std::vector<std::pair<int, int>>{{1, 2}, {3, 3}, {0, 0}, {2, 1}}) {
        SCOPED_TRACE(c.first);  // mirror set, mirror sent
        iasim::clearCalls();
        m_objVideo.clearNotifications();
        EXPECT_EQ(0, set("(2384," + std::to_string(c.first) + ")"));
        EXPECT_EQ(std::vector<Note>({{1, 2384, c.second}}), m_objVideo.notifications());
        EXPECT_EQ(Records({{c.second}}), setsOf(2384));
        int nMirror = -1;
        EXPECT_TRUE(controller.getMirrorValue(nMirror));
        EXPECT_EQ(c.first, nMirror);
    }
}

TEST_F(Pipeline, BeawayRetellsTheMirrorToTheVideoModuleOnly) {
    begin();
    set("(2384,2)");
    m_objVideo.clearNotifications();
    iasim::clearCalls();
    EXPECT_EQ(0, set("(2385,1)"));
    EXPECT_EQ(std::vector<Note>({{1, 2384, 1}, {1, 2385, 1}}), m_objVideo.notifications());
    EXPECT_TRUE(setsOf(2384).empty());
    EXPECT_EQ(Records({{1}}), setsOf(2385));
    m_objVideo.clearNotifications();
    EXPECT_EQ(0, set("(2385,0)"));
    EXPECT_EQ(std::vector<Note>({{1, 2384, 2}, {1, 2385, 0}}), m_objVideo.notifications());
}

TEST_F(Pipeline, CacheWritesNeverLeaveTheTable) {
    ISensorController& controller = begin();
    u32 nVal = 5;
    EXPECT_EQ(-2, controller.setKeyValToCache(kSchemeSum + 1, KEY_BRIGHTNESS, 1, true));
    EXPECT_EQ(-2, controller.setKeyValToCache(kSchemeSum, KEY_BRIGHTNESS, 1, false));
    EXPECT_EQ(-1, controller.getKeyValFromCache(kSchemeSum + 1, KEY_BRIGHTNESS, nVal));
    EXPECT_EQ(5u, nVal);
    int nIndex = controller.setKeyValToCache(kSchemeSum, KEY_BRIGHTNESS, 77, true);
    EXPECT_GE(nIndex, 0);
    EXPECT_EQ(nIndex, controller.getKeyValFromCache(kSchemeSum, KEY_BRIGHTNESS, nVal));
    EXPECT_EQ(77u, nVal);
    EXPECT_EQ(50, value(34));
}

// A key from the host may name a command whose data is a record: whatever the
// path, the processor gets a zeroed room that the largest record fits, with
// the value first (the sanitizer build sees any read or write past it). Every
// key of the map and every record command, set and read, alone and as the
// last pair of a full set.
TEST_F(Pipeline, RecordCommandsGetAWholeZeroedRecordOnEveryPath) {
    begin();
    std::vector<keycmd> rows(KEYCMD_ROWS);
    buildKeyCmdMap(rows.data());
    std::vector<uint32_t> commands = {IA_CMD_SENSOR_CHECK,    IA_CMD_DYNAMIC_PARAMS_CMDS_GET,
                                      IA_CMD_CAMERA_VER_INFO, IA_CMD_DN_STATE,
                                      IA_CMD_DTN_THR,         IA_CMD_DTN_H};
    for (const keycmd& row : rows) {
        commands.push_back(row.key);
    }
    std::string all;
    m_pController->getAllParameters(all);
    std::string lastPairIsTheCheck = all.substr(0, all.rfind('(')) + "(2816,9)";
    stdoutOf([&] {
        for (uint32_t cmd : commands) {
            int value = 7;
            m_pController->setParameter(static_cast<int>(cmd), 7, false);
            m_pController->getParameter(static_cast<int>(cmd), value);
            m_pController->getCmdExecStatus(static_cast<int>(cmd), value);
        }
        m_pController->setParameters(lastPairIsTheCheck, false);
    });
    EXPECT_EQ(Records({{7, 0, 0, 0}, {9, 0, 0, 0}}), setsOf(IA_CMD_SENSOR_CHECK));
}
