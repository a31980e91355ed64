// The system configuration a controller starts from: the module's texts, the
// scheme count of its detail text, the machine's device type and the merged
// style of the machine's family, read from a sandbox camera disk.
#include <gtest/gtest.h>
#include <string.h>

#include "fixtures/CameraDisk.h"
#include "fixtures/Reports.h"
#include "platform/host/CameraModule.h"
#include "sensor/SensorFile.h"
#include "sensor/sensor.h"
#include "support/SensorDebug.h"

namespace {

const char kMachineInfo[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";

struct SysConfTest : CameraDisk {
    ~SysConfTest() { uinitSysConf(&conf); }
    SysConfig conf{};
    // initSysConf of the camera's listed module into conf, released first; what it printed.
    std::string init(int camera) {
        uinitSysConf(&conf);
        const ModuleConfigure module = platform::cameraModuleConfigure(camera);
        return stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, initSysConf(camera, module, &conf)); });
    }
};

TEST(SysConfDetail, FieldIsFoundByNameAndReadAsAtMostNineCharacters) {
    // A detail text, and what getDetailFieldTou32 answers for max_scheme and leaves (99: as it
    // was).
    // clang-format off
    const char* cases[][2] = {{"(max_scheme=2)", "0 2"}, {"(isInfrared=1)", "-1 99"},
        {"(max_scheme=x)", "0 0"}, {"(max_scheme=5", "-1 99"}, {"(max_scheme)(other=3)", "0 3"},
        {"(xmax_scheme=7)(max_scheme=2)", "0 7"}, {"(max_scheme=1234567890123)", "0 123456789"},
        {"(max_scheme=1234567890)", "0 123456789"}};
    // clang-format on
    for (const auto& c : cases) {
        u32 value = 99;
        const int result = getDetailFieldTou32(c[0], "max_scheme", &value);
        EXPECT_EQ(c[1], std::to_string(result) + " " + std::to_string(value)) << c[0];
    }
    char text[] = "ZZZZZZZZZZZZZZZZ";  // the characters alone are copied, at most nine
    EXPECT_EQ(0, getDetailFieldToStr("(a=1)(sensor=abcdefghijklmnop)", "sensor", text));
    EXPECT_EQ(-1, getDetailFieldToStr("(sensor=ab)", "lens", text));
    EXPECT_EQ("abcdefghiZZZZZZZ", std::string(text, 16));
}

TEST_F(SysConfTest, LoadsTheStyleAndRulesOfTheMachinesFamily) {
    // Per family a style whose root names it, and a rule, selected by the
    // module's detail text, that renames its tab after the family.
    writeFile("/hd1/moduleConfig/moduleConfig.xml", "<M><Module id='1' detail='(p=1)'/></M>");
    for (std::string f : {"box", "dome", "Thermal"}) {
        const std::string dir = "/hd1/moduleConfig/sensorConfig/", tail = f == "box" ? "" : "_" + f;
        writeFile(dir + "style/Style" + tail + ".xml", "<S family='" + f + "'><Tab key='s'/></S>");
        writeFile(dir + "styleDiversity/StyleDiversity" + tail + ".xml",
                  "<D><Rule p='1'><Modify tab_key='s'><Tab key='" + f + "'/></Modify></Rule></D>");
    }
    // Device type and camera, and the family whose style is loaded; 0 (first:
    // no machine information yet) and 5 are reported.
    // clang-format off
    const struct { int type, camera; std::string family; } cases[] = {{0, 1, "dome"}, {1, 2, "box"},
        {13, 1, "box"}, {14, 1, "box"}, {4, 1, "dome"}, {19, 1, "dome"}, {5, 1, "dome"}, {20, 2, "dome"},
        {104, 2, "dome"}, {13, 2, "Thermal"}, {17, 2, "Thermal"}, {19, 2, "Thermal"}};
    // clang-format on
    for (const auto& c : cases) {
        const std::string t = std::to_string(c.type), f = c.family;
        SCOPED_TRACE("type " + t + " camera " + std::to_string(c.camera));
        c.type ? writeFile(kMachineInfo, "DeviceType=" + t + "\n") : void();
        const std::string out = init(c.camera), bad = kRed + "machineinfo, devicetype(" + t +
                                                      ") error, must be 1 or 4 or 8 or 9 or 13\n" +
                                                      kReset;
        // The device type, the scheme count without max_scheme, the merged style and the report.
        EXPECT_EQ(t + " 4 <S family=\"" + f + "\">\n    <Tab key=\"" + f + "\" />\n</S>\n" +
                      (c.type == 0 || c.type == 5 ? bad : ""),
                  std::to_string(conf.nDeviceType) + " " + std::to_string(conf.nSchemeSum) + " " +
                      conf.szUIStyle + (contains(out, bad) ? bad : ""));
        EXPECT_EQ(c.type == 0, contains(out, "SystemInfoParser::parseMachineInfo(\""));
    }
}

// Over a record of junk: the module's texts cut to their buffers, the rest
// cleared, and a missing style and diversity each reported and left empty.
TEST_F(SysConfTest, CopiesTheModuleCutToItsBuffersReportsAMissingStyleAndReleasesOnce) {
    const std::string detail = "(max_scheme=3)" + std::string(600, 'd');
    writeFile("/hd1/moduleConfig/moduleConfig.xml", "<M><Module id='7' parameters='" +
                                                        std::string(300, 'p') + "' detail='" +
                                                        detail + "'/></M>");
    writeFile(kMachineInfo, "DeviceType=1\n");
    writeFile("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml", "");
    memset(&conf, 0x5A, sizeof(conf));
    conf.szUIStyle = nullptr, conf.pstUILanguage = nullptr;  // no heap blocks to release
    EXPECT_EQ(2u, countOf(init(7), ".c_str())) > 0   ~~~Assertion failed.\n"));
    const ModuleConfig& m = conf.moduleConfig;
    EXPECT_EQ("7 xxx xxx 3 0  " + std::string(255, 'p') + " " + detail.substr(0, 511),
              std::to_string(m.nModuleId) + " " + m.szSpare1 + " " + m.szSpare2 + " " +
                  std::to_string(conf.nSchemeSum) + " " + std::to_string(conf.nUILanguageNum) +
                  " " + conf.szUIStyle + " " + m.szParameters + " " + m.szDetail);
    // Releasing twice frees nothing twice; a null record is reported.
    UILanguage language = {0, "", strdup("en.xml"), strdup("common.xml")};
    SysConfig owned = {{}, 4, 1, &language, strdup("<Style/>"), 1};
    uinitSysConf(&owned), uinitSysConf(&owned), uinitSysConf(nullptr);
    EXPECT_EQ(&language, owned.pstUILanguage) << "the table itself is the owner's";
    EXPECT_TRUE(!language.szLanguageFile && !language.szCommonFile && !owned.szUIStyle);
    EXPECT_TRUE(contains(stdoutOf([] { initSysConf(1, ModuleConfigure(), nullptr); }),
                         failed("NULL != p_stSysConf")));
}

}  // namespace
