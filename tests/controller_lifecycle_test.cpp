// The controller as the host drives it: what init finds on the disk and leaves
// there, the channel it speaks on, and the streams that shape its offers.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <set>
#include <string>
#include <thread>

#include "fixtures/ControllerTest.h"
#include "fixtures/Eventually.h"
#include "fixtures/Reports.h"
#include "platform/ia_sim.h"
#include "sensor/ISensorController.h"
#include "sensor/sensor.h"

namespace {

const char kVersionFile[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const char kBoxDetail[] = "(max_scheme=4)(isInfrared=1)(lensType=1)(irisType=1)(sensor=imx385)";

class ControllerLifecycleTest : public ControllerTest {};

// clang-format off
struct VersionCase { const char* name; const char* version; bool kept; };
const VersionCase kVersions[] = {
    {"Version8KeepsTheFiles",         "\x08\0\0\0", true},
    {"Version7DeletesThemAll",        "\x07\0\0\0", false},
    {"NoVersionFileDeletesThemAll",   nullptr,      false},
};

struct ChannelCase { const char* name; const char* family; int camera; const char* files; int ch; int notified; };
const ChannelCase kChannels[] = {
    {"BoxCamera1",             "box",     1, "sensor",         0, 1},
    {"BoxCamera2",             "box",     2, "sensor-thermal", 1, 2},
    {"ThermalCamera2",         "thermal", 2, "sensor-thermal", 1, 1},
    {"ThermalAskedForCamera1", "thermal", 1, "sensor-thermal", 1, 1},
};

struct LprCase { const char* name; int type; const char* detail; bool lpr; };
const LprCase kLprCases[] = {
    {"Type8WithoutInfraredField", 8, kLprDetail, true},
    {"Type8WithInfraredField",    8, kBoxDetail, false},
    {"Type1WithoutInfraredField", 1, kLprDetail, false},
};

// model empty: the box's Hi3516AV200.
struct StreamCase { const char* name; const char* model; int fps, encoder, height; bool wdr, beaway; };
const StreamCase kStreams[] = {
    {"Fps25",                 "",            25, 0, 1080, true,  true},
    {"Fps50",                 "",            50, 0, 1080, false, true},
    {"Fps60",                 "",            60, 0, 1080, false, true},
    {"SmallH264",             "",            25, 1,  240, true,  false},
    {"H264Height255",         "",            25, 1,  255, true,  false},
    {"H264Height256",         "",            25, 1,  256, true,  true},
    {"SmallOtherEncoder",     "",            25, 2,  240, true,  true},
    {"SmallH264OnOtherModel", "Hi3519AV100", 25, 1,  240, true,  true},
};
// clang-format on

void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << c.name << ": ";
    if (c.version) {
        *os << "version " << static_cast<int>(c.version[0]);
    } else {
        *os << "no version file";
    }
    *os << ", files " << (c.kept ? "kept" : "deleted");
}

void PrintTo(const ChannelCase& c, std::ostream* os) {
    *os << c.name << ": " << c.family << " camera " << c.camera << ", files " << c.files
        << ", processor channel " << c.ch << ", notified camera " << c.notified;
}

void PrintTo(const LprCase& c, std::ostream* os) {
    *os << c.name << ": device type " << c.type << ", " << (c.lpr ? "LPR" : "no LPR");
}

void PrintTo(const StreamCase& c, std::ostream* os) {
    *os << c.name << ": " << c.fps << " fps, encoder " << c.encoder << ", height " << c.height
        << ", model " << (*c.model ? c.model : "Hi3516AV200") << ", WDR "
        << (c.wdr ? "offered" : "hidden") << ", beaway " << (c.beaway ? "offered" : "hidden");
}

}  // namespace

// --- lifecycle ----------------------------------------------------------------

TEST_F(ControllerLifecycleTest, FirstStartWarnsAndCreatesEverySchemeFileFromTheFactorySet) {
    seed("box");
    m_bSeeded = true;
    setSign("4\n");
    std::string out = initPrinting();
    EXPECT_TRUE(contains(out,
                         "check the sensor version,   local(0) --> libsensordll.so(8), source the "
                         "cmd: rm -rf /mnt/mtd/code/config*/sensor*\n"))
        << out;
    std::string all;
    stdoutOf([&] { ctl().getAllParameters(all); });
    size_t count = static_cast<size_t>(std::count(all.begin(), all.end(), '('));
    ASSERT_GT(count, 5u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(8 * count, schemeFile(s).size()) << s;
        EXPECT_EQ(schemeFile(0), schemeFile(s)) << s;
    }
    EXPECT_FALSE(exists(cfg(4)));
    EXPECT_EQ(0, recordsOf(schemeFile(0)).at(8000));
    EXPECT_EQ(std::string("\x08\0\0\0", 4), readFile(kVersionFile));
    EXPECT_EQ(0, scheme());
}

using VersionTest = CaseTest<VersionCase>;

// Beside the schemes of camera 1: a file of another channel, one of another
// configuration directory, and one that is no parameter file.
TEST_P(VersionTest, OnlyTheCurrentVersionKeepsTheParameterFilesOfEveryChannel) {
    const VersionCase& c = GetParam();
    start();
    stop();
    editScheme(0, 34, 77);
    if (c.version) {
        writeFile(kVersionFile, std::string(c.version, 4));
    } else {
        removeTree(hostPath(kVersionFile));
    }
    writeFile(cfg(0, "sensor-thermal"), "another channel's");
    writeFile("/mnt/mtd/code/config_backup/sensor9.cfg", "another directory's");
    writeFile("/mnt/mtd/code/config_file/other.cfg", "not a parameter file");
    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    for (int s = 0; s < 4; ++s) {
        ASSERT_EQ(0, utimes(hostPath(cfg(s)).c_str(), old));
    }
    start();
    EXPECT_EQ(c.kept, exists(cfg(0, "sensor-thermal")));
    EXPECT_EQ(c.kept, exists("/mnt/mtd/code/config_backup/sensor9.cfg"));
    EXPECT_TRUE(exists("/mnt/mtd/code/config_file/other.cfg"));
    for (int s = 0; s < 4; ++s) {
        struct stat st;
        ASSERT_EQ(0, stat(hostPath(cfg(s)).c_str(), &st));
        EXPECT_EQ(c.kept, st.st_mtime == 1000000000) << s;
    }
    EXPECT_EQ(c.kept ? 77 : kFactoryBrightness, value(34));
    EXPECT_EQ(c.kept ? 77 : kFactoryBrightness, lastSet(KEY_BRIGHTNESS));
    EXPECT_EQ(std::string("\x08\0\0\0", 4), readFile(kVersionFile));
}

INSTANTIATE_TEST_SUITE_P(ControllerLifecycle, VersionTest, testing::ValuesIn(kVersions),
                         CaseName());

TEST_F(ControllerLifecycleTest, ShortSchemeFileKeepsFactoryValuesForTheRecordsItLacks) {
    start();
    stop();
    std::string factory = schemeFile(0);
    editScheme(1, 34, 77);
    writeFile(cfg(1), schemeFile(1).substr(0, 6 * sizeof(KeyVal)));  // window and brightness
    ASSERT_EQ(77, recordsOf(schemeFile(1)).at(34));
    start();
    iasim::clearCalls();
    ASSERT_TRUE(choose(1));
    EXPECT_EQ(Sets({{34, 77}}), sent());
    EXPECT_EQ(recordsOf(factory).at(2337), value(2337));
}

TEST_F(ControllerLifecycleTest, StoredDayNightModeLeavesTheFirstChoiceToTheFirstTick) {
    start();
    stop();
    editScheme(0, 8000, 2);
    editScheme(0, 34, 10);
    editScheme(1, 34, 90);
    iasim::setDayNightState(0, 1);
    iasim::clearCalls();
    start();
    EXPECT_EQ(1, scheme());  // chosen before init returned
    EXPECT_EQ(Sets({{34, 90}}), sent(0, 34));
}

TEST_F(ControllerLifecycleTest, StatusFollowsInitAndUinitAndASecondInitReloadsTheFiles) {
    m_pController.reset(new ISensorController());
    EXPECT_FALSE(ctl().getSensorStatus());
    EXPECT_EQ(0, ctl().notifyToVideo(34, 1));  // no video module yet
    start();
    EXPECT_TRUE(ctl().getSensorStatus());
    stdoutOf([&] {
        ctl().uinit();
        ctl().uinit();
    });
    EXPECT_FALSE(ctl().getSensorStatus());
    editScheme(0, 34, 61);
    stdoutOf([&] { EXPECT_TRUE(ctl().init(moduleFor(1))); });
    EXPECT_TRUE(ctl().getSensorStatus());
    EXPECT_EQ(61, value(34));
    EXPECT_EQ(61, lastSet(KEY_BRIGHTNESS));
    EXPECT_EQ(0, apply("(2337,12)"));
    EXPECT_EQ(12, lastSet(KEY_SATURATION));
}

// The set of a configuration without the lens tab lacks 14 of the box's
// records, the frame's last ones among them. Saved files are read by key, so
// every setting both layouts share survives the change and the change back.
TEST_F(ControllerLifecycleTest, ConfigurationChangeKeepsEverySharedSetting) {
    const char kModuleConfig[] = "/hd1/moduleConfig/moduleConfig.xml";
    start();
    ASSERT_EQ(0, apply("(34,61)(2512,1)(1537,2)"));
    ASSERT_EQ(0, ctl().flush());
    const std::string withLens = readFile(kModuleConfig);
    std::string withoutLens = withLens;
    withoutLens.replace(withoutLens.find("lensType=1"), 10, "lensType=0");
    for (bool lens : {false, true}) {
        writeFile(kModuleConfig, lens ? withLens : withoutLens);
        stop();
        start();
        std::string all;
        ctl().getAllParameters(all);
        EXPECT_EQ(lens, contains(all, "(1537,")) << all;
        EXPECT_EQ(61, value(KEY_BRIGHTNESS));
        EXPECT_EQ(1, value(2512));
        ASSERT_EQ(0, ctl().flush());
    }
    EXPECT_EQ(3, value(1537));  // saved in no file of this layout: the factory value
}

// A saved file of random bytes gives the set no key and the processor no
// command of its own; the set stays the factory's and takes changes.
TEST_F(ControllerLifecycleTest, RandomSchemeFileNeitherChangesTheSetNorReachesTheProcessor) {
    start();
    std::set<uint32_t> commands;
    for (const iasim::Call& call : iasim::calls()) {
        commands.insert(call.cmd);
    }
    std::string noise(816, '\0');
    srand(7);
    for (char& byte : noise) {
        byte = static_cast<char>(rand());
    }
    writeFile(cfg(0), noise);
    stop();
    iasim::clearCalls();
    start();
    for (const iasim::Call& call : iasim::calls()) {
        EXPECT_EQ(1u, commands.count(call.cmd)) << call.cmd;
    }
    EXPECT_EQ(kFactoryBrightness, value(KEY_BRIGHTNESS));
    ASSERT_EQ(0, apply("(34,33)"));
    EXPECT_EQ(33, value(KEY_BRIGHTNESS));
}

// init on a ready controller releases what the first init built (the
// sanitizer build sees a leak or a double release) and starts afresh.
TEST_F(ControllerLifecycleTest, InitOnAReadyControllerStartsAfresh) {
    start();
    ASSERT_EQ(0, apply("(34,61)(8000,2)"));
    ASSERT_EQ(0, ctl().flush());
    stdoutOf([&] { EXPECT_TRUE(ctl().init(moduleFor(1))); });
    EXPECT_TRUE(ctl().getSensorStatus());
    EXPECT_EQ(61, value(KEY_BRIGHTNESS));
    iasim::setDayNightState(0, 1);
    EXPECT_TRUE(eventually([&] { return scheme() == 1; }));  // one thread ticks again
}

TEST_F(ControllerLifecycleTest, DestroyingAReadyControllerStopsItsThread) {
    start();
    ASSERT_EQ(0, apply("(8000,2)"));  // day/night mode: every tick asks the processor
    ASSERT_TRUE(eventually([] { return stateQueries() >= 2; }));
    stop();
    iasim::clearCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // five ticks
    EXPECT_TRUE(iasim::calls().empty());
}

TEST_F(ControllerLifecycleTest, MoreThanSixteenSchemesAreReportedAndCutToSixteen) {
    seedMachine(1, "Hi3516AV200", "(max_scheme=40)(isInfrared=1)(sensor=imx385)");
    EXPECT_TRUE(contains(initPrinting(), "nSchemeSum(40)"));
    EXPECT_TRUE(exists(cfg(15)));
    EXPECT_FALSE(exists(cfg(16)));
    EXPECT_TRUE(choose(15));
    EXPECT_EQ(15, scheme());
    EXPECT_FALSE(choose(16));  // the factory set
}

using ChannelTest = CaseTest<ChannelCase>;

TEST_P(ChannelTest, FilesProcessorChannelAndNotificationsFollowTheCamera) {
    const ChannelCase& c = GetParam();
    start(c.family, c.camera);
    for (int s = 0; s < 4; ++s) {
        EXPECT_TRUE(exists(cfg(s, c.files))) << s;
    }
    EXPECT_EQ(std::string(c.files) == "sensor", exists(cfg(0)));
    std::set<int> channels;
    for (const iasim::Call& call : iasim::calls()) {
        channels.insert(call.ch);
    }
    EXPECT_EQ(std::set<int>{c.ch}, channels);
    m_objVideo.clearNotifications();
    EXPECT_EQ(0, ctl().notifyToVideo(2385, 1));
    ASSERT_EQ(1u, m_objVideo.notifications().size());
    EXPECT_EQ(c.notified, m_objVideo.notifications()[0].channel);
}

INSTANTIATE_TEST_SUITE_P(ControllerLifecycle, ChannelTest, testing::ValuesIn(kChannels),
                         CaseName());

using LprDetectionTest = CaseTest<LprCase>;

TEST_P(LprDetectionTest, LprDeviceCreatesScheme1WithNightDefaults) {
    const LprCase& c = GetParam();
    seedMachine(c.type, "Hi3516AV200", c.detail);
    start();
    Records expected = recordsOf(schemeFile(0));
    if (c.lpr) {
        for (const auto& night : Records{{144, 0}, {49, 18}, {96, 1}, {161, 2}, {163, 40}}) {
            ASSERT_EQ(1u, expected.count(night.first)) << night.first;
            expected[night.first] = night.second;
        }
    }
    EXPECT_EQ(expected, recordsOf(schemeFile(1)));
    EXPECT_EQ(schemeFile(0), schemeFile(2));
    EXPECT_EQ(schemeFile(0), schemeFile(3));
}

INSTANTIATE_TEST_SUITE_P(ControllerLifecycle, LprDetectionTest, testing::ValuesIn(kLprCases),
                         CaseName());

using StreamOfferTest = CaseTest<StreamCase>;

TEST_P(StreamOfferTest, StreamsDecideWhetherWdrAndBeawayAreOffered) {
    const StreamCase& c = GetParam();
    if (*c.model) {
        seedMachine(1, c.model, kBoxDetail);
    }
    AVStreamParam stream;
    stream.setFrameRate(c.fps);
    stream.setVideoEncoderType(c.encoder);
    stream.setVideoHeight(c.height);
    m_objVideo.setStreams({AVStreamParam(), stream});
    setshowBeawayFalg(false);  // init decides afresh
    start();
    bool wdr = !c.wdr;
    bool beaway = !c.beaway;
    ctl().getShowWDRFalg(wdr);
    ctl().getShowBeawayFalg(beaway);
    EXPECT_EQ(c.wdr, wdr);
    EXPECT_EQ(c.beaway, beaway);
}

INSTANTIATE_TEST_SUITE_P(ControllerLifecycle, StreamOfferTest, testing::ValuesIn(kStreams),
                         CaseName());
