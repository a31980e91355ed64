// The system configuration a controller starts from: the module's texts, the
// scheme count of its detail text, the machine's device type and the merged
// style of the machine's family, read from a sandbox camera disk.
#include <ctype.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <ostream>
#include <string>

#include "fixtures/CameraDisk.h"
#include "fixtures/Reports.h"
#include "fixtures/SampleModule.h"
#include "platform/ModuleConfigure.h"
#include "sensor/SensorFile.h"
#include "sensor/sensor.h"
#include "support/SensorDebug.h"

namespace {

const char kMachineInfo[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const u32 kUntouched = 0xA5A5A5A5u;

ModuleConfigure moduleWith(const std::string& detail, int id = 1,
                           const std::string& parameters = "(camera=1)") {
    ModuleConfigure module;
    module.setModuleId(id);
    module.setDetail(detail);
    module.setParameters(parameters);
    return module;
}

class SysConfTest : public CameraDisk {
  protected:
    void TearDown() override {
        uinitSysConf(&m_stConf);
        CameraDisk::TearDown();
    }

    // initSysConf into m_stConf, with what it printed in m_strOut.
    void init(int camera, const ModuleConfigure& module) {
        m_strOut =
            stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, initSysConf(camera, module, &m_stConf)); });
    }

    // Per family a style whose root names the family, and a rule, selected by
    // (pick=1), that adds the tab "<family>-rules".
    void writeMarkerDisk() const {
        for (std::string family : {"box", "dome", "Thermal"}) {
            std::string suffix = family == "box" ? "" : "_" + family;
            writeFile("/hd1/moduleConfig/sensorConfig/style/Style" + suffix + ".xml",
                      "<Style family='" + family + "'><Tab key='scheme'/></Style>");
            writeFile(
                "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity" + suffix + ".xml",
                "<StyleDiversity><Rule pick='1'><AddAfter tab_key='scheme'><Tab key='" + family +
                    "-rules'/></AddAfter></Rule></StyleDiversity>");
        }
    }

    SysConfig m_stConf{};
    std::string m_strOut;
};

TEST_F(SysConfTest, DetailFieldIsFoundByNameAndReadAsAtMostNineCharacters) {
    // Result of getDetailFieldTou32 for "max_scheme", and the value it leaves.
    const struct {
        const char* detail;
        int result;
        u32 value;
    } cases[] = {{"(max_scheme=2)", 0, 2},
                 {"(isInfrared=1)", -1, kUntouched},
                 {"", -1, kUntouched},
                 {"(max_scheme=x)", 0, 0},
                 {"(xmax_scheme=7)(max_scheme=2)", 0, 7},
                 {"(max_scheme)(other=3)", 0, 3},
                 {"(max_scheme=12abc)", 0, 12},
                 {"(max_scheme=5", -1, kUntouched},
                 {"(lens=1)max_scheme", -1, kUntouched},
                 {"(max_scheme=1234567890123)", 0, 123456789}};
    for (const auto& c : cases) {
        u32 value = kUntouched;
        EXPECT_EQ(c.result, getDetailFieldTou32(c.detail, "max_scheme", &value)) << c.detail;
        EXPECT_EQ(c.value, value) << c.detail;
    }
    char text[16];
    memset(text, 0, 10);
    memset(text + 10, 'Z', 6);
    EXPECT_EQ(0, getDetailFieldToStr("(sensor=abcdefghijklmnop)", "sensor", text));
    EXPECT_EQ(std::string("abcdefghi\0ZZZZZZ", 16), std::string(text, 16));
    memset(text, 'Z', sizeof(text));
    EXPECT_EQ(0, getDetailFieldToStr("(a=1)(sensor=ab)", "sensor", text));
    EXPECT_EQ("abZZ", std::string(text, 4)) << "the characters alone are copied";
    memset(text, 'Z', sizeof(text));
    EXPECT_EQ(-1, getDetailFieldToStr("(sensor=ab)", "lens", text));
    EXPECT_EQ(-1, getDetailFieldToStr(nullptr, "lens", text));
    EXPECT_EQ(std::string(16, 'Z'), std::string(text, 16));
}

// Device type and camera, the family whose style is loaded, and whether the
// device type is one the module reports as unknown.
struct FamilyCase {
    int deviceType, camera;
    const char* family;
    bool reported;
};

class SysConfFamilyTest : public SysConfTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(SysConfFamilyTest, LoadsTheStyleAndRulesOfTheFamily) {
    const FamilyCase& c = GetParam();
    writeMarkerDisk();
    writeFile(kMachineInfo, "[machine]\nDeviceType=" + std::to_string(c.deviceType) + "\n");
    init(c.camera, moduleWith("(pick=1)"));
    EXPECT_EQ(c.deviceType, m_stConf.nDeviceType);
    EXPECT_EQ(4u, m_stConf.nSchemeSum) << "the count without max_scheme";
    EXPECT_EQ("<Style family=\"" + std::string(c.family) + "\">\n    <Tab key=\"scheme\" />\n" +
                  "    <Tab key=\"" + c.family + "-rules\" />\n</Style>\n",
              m_stConf.szUIStyle);
    if (c.reported) {
        EXPECT_TRUE(contains(m_strOut, "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || "));
        EXPECT_TRUE(contains(m_strOut, kRed + "machineinfo, devicetype(" +
                                           std::to_string(c.deviceType) +
                                           ") error, must be 1 or 4 or 8 or 9 or 13\n" + kReset));
    } else {
        EXPECT_EQ("", m_strOut);
    }
}

// clang-format off
const FamilyCase kFamilyCases[] = {
    {1, 2, "box", false},      {13, 1, "box", false},     {18, 1, "box", false},
    {4, 1, "dome", false},     {19, 1, "dome", false},    {20, 2, "dome", false},
    {104, 2, "dome", false},   {13, 2, "Thermal", false}, {17, 2, "Thermal", false},
    {19, 2, "Thermal", false}, {5, 1, "dome", true},  // 5: a type the module does not know
};
// clang-format on

// "thermal" as a part of a case's name: "Thermal".
std::string capitalised(std::string word) {
    if (!word.empty()) {
        word[0] = static_cast<char>(toupper(static_cast<unsigned char>(word[0])));
    }
    return word;
}

// Names a case of a table below by its nameOf.
struct NameOf {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return nameOf(info.param);
    }
};

// Type1Camera2Box: what the case sets, then the family it expects.
std::string nameOf(const FamilyCase& c) {
    return "Type" + std::to_string(c.deviceType) + "Camera" + std::to_string(c.camera) +
           capitalised(c.family);
}

void PrintTo(const FamilyCase& c, std::ostream* os) {
    *os << nameOf(c) << ": device type " << c.deviceType << ", camera " << c.camera << ", family "
        << c.family << (c.reported ? ", reported as unknown" : "");
}

INSTANTIATE_TEST_SUITE_P(SysConf, SysConfFamilyTest, ::testing::ValuesIn(kFamilyCases), NameOf());

// A tab the sample rules placed right before another, and an item whose
// default a rule changed.
struct DiskCase {
    const char* family;
    int camera, deviceType;
    const char *tab, *nextTab, *item;
};

class SysConfSampleDiskTest : public SysConfTest, public ::testing::WithParamInterface<DiskCase> {};

TEST_P(SysConfSampleDiskTest, MergesTheSampleDiskOfTheFamily) {
    const DiskCase& c = GetParam();
    seed(c.family);
    ModuleConfigure module;
    ASSERT_TRUE(sampleModule(c.camera, module));
    init(c.camera, module);
    EXPECT_EQ("", m_strOut) << "a complete disk raises no report";
    EXPECT_EQ(4u, m_stConf.nSchemeSum);
    EXPECT_EQ(c.deviceType, m_stConf.nDeviceType);
    EXPECT_EQ(c.camera, m_stConf.moduleConfig.nModuleId);
    std::string style = m_stConf.szUIStyle;
    size_t tab = style.find(std::string("<Tab key=\"") + c.tab + "\"");
    ASSERT_NE(std::string::npos, tab) << c.tab;
    EXPECT_EQ(style.find(std::string("<Tab key=\"") + c.nextTab + "\""),
              style.find("<Tab key=\"", tab + 1));
    EXPECT_TRUE(contains(style, c.item)) << c.item;
    EXPECT_EQ(readFile("/tmp/merge_style.xml"), style);
}

// clang-format off
const DiskCase kDiskCases[] = {
    // Motorised lens: the lens tab follows exposure; starlight noise defaults.
    {"box",     1, 1,  "exposure", "lens",         "<Item id=\"2306\" value=\"40\""},
    // Optical defog: a defog tab follows enhancement.
    {"dome",    1, 4,  "enhance",  "defog",        "<Item id=\"2306\" value=\"40\""},
    // Visible channel of the double-sensor bullet: fixed lens, no lens tab.
    {"thermal", 1, 13, "exposure", "whitebalance", "<Item id=\"2306\" value=\"40\""},
    // Thermal channel: the core calibrates every 5 minutes.
    {"thermal", 2, 13, "thermal",  "ffc",          "<Item id=\"8203\" value=\"5\""},
};
// clang-format on

// ThermalCamera2: the family's sample disk and the camera.
std::string nameOf(const DiskCase& c) {
    return capitalised(c.family) + "Camera" + std::to_string(c.camera);
}

void PrintTo(const DiskCase& c, std::ostream* os) {
    *os << nameOf(c) << ": device type " << c.deviceType << ", tab " << c.tab << " before "
        << c.nextTab;
}

INSTANTIATE_TEST_SUITE_P(SysConf, SysConfSampleDiskTest, ::testing::ValuesIn(kDiskCases), NameOf());

TEST_F(SysConfTest, MissingMachineInformationIsReportedAndGivesTypeZero) {
    writeMarkerDisk();
    init(1, moduleWith("(pick=1)"));
    const std::string check = failed(
        "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\", "
        "machineInfo)");
    EXPECT_TRUE(contains(m_strOut, check)) << m_strOut;
    EXPECT_TRUE(contains(readFile(kErrorLog), check.substr(0, check.size() - 1)));
    EXPECT_EQ(0, m_stConf.nDeviceType);
    EXPECT_TRUE(contains(m_strOut, "machineinfo, devicetype(0) error"));
    EXPECT_TRUE(contains(m_stConf.szUIStyle, "family=\"dome\""));
}

TEST_F(SysConfTest, MissingStyleLeavesAnEmptyText) {
    writeFile(kMachineInfo, "DeviceType=1\n");
    writeFile("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml", "");
    init(1, moduleWith("(max_scheme=2)"));
    ASSERT_NE(nullptr, m_stConf.szUIStyle);
    EXPECT_STREQ("", m_stConf.szUIStyle);
    EXPECT_TRUE(contains(m_strOut, failed("loadFromFile(strStyleFileName.c_str(), "
                                          "p_stSysConf->szUIStyle, "
                                          "getFileLen(strStyleFileName.c_str())) > 0")));
    EXPECT_TRUE(contains(m_strOut, failed("loadFromFile(strStyleDivFileName.c_str(), "
                                          "ui_styleDiversity, "
                                          "getFileLen(strStyleDivFileName.c_str())) > 0")));
}

TEST_F(SysConfTest, CopiesTheModuleConfigurationCutToItsBuffers) {
    memset(&m_stConf, 0x5A, sizeof(m_stConf));
    m_stConf.szUIStyle = nullptr;  // no heap block to release
    std::string detail = "(max_scheme=3)" + std::string(600, 'd');
    init(1, moduleWith(detail, 7, std::string(300, 'p')));
    const ModuleConfig& config = m_stConf.moduleConfig;
    EXPECT_EQ(7, config.nModuleId);
    EXPECT_STREQ("xxx", config.szSpare1);
    EXPECT_STREQ("xxx", config.szSpare2);
    EXPECT_EQ(std::string(255, 'p'), config.szParameters);
    EXPECT_EQ(detail.substr(0, 511), config.szDetail);
    EXPECT_EQ(3u, m_stConf.nSchemeSum);
    EXPECT_EQ(0u, m_stConf.nUILanguageNum);
    EXPECT_EQ(nullptr, m_stConf.pstUILanguage);
}

TEST_F(SysConfTest, ReleasingTwiceFreesNothingTwiceAndANullRecordIsReported) {
    UILanguage language = {};
    language.szLanguageFile = strdup("en.xml");
    language.szCommonFile = strdup("common.xml");
    SysConfig conf{};
    conf.nUILanguageNum = 1;
    conf.pstUILanguage = &language;
    conf.szUIStyle = strdup("<Style/>");
    uinitSysConf(&conf);
    uinitSysConf(&conf);
    uinitSysConf(nullptr);
    EXPECT_EQ(&language, conf.pstUILanguage) << "the table itself is the owner's";
    EXPECT_EQ(nullptr, language.szLanguageFile);
    EXPECT_EQ(nullptr, language.szCommonFile);
    EXPECT_EQ(nullptr, conf.szUIStyle);
    std::string out = stdoutOf(
        [] { EXPECT_EQ(SNS_SUCCESS, initSysConf(1, moduleWith("(max_scheme=2)"), nullptr)); });
    EXPECT_TRUE(contains(out, failed("NULL != p_stSysConf")));
}

}  // namespace
