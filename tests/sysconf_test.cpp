// The system configuration a controller starts from: the module's texts, the
// scheme count of its detail text, the machine's device type and the merged
// style of the machine's family, read from a sandbox camera disk.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "fixtures/CameraDisk.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "sensor/SensorFile.h"
#include "sensor/StyleDocument.h"
#include "sensor/sensor.h"
#include "support/SensorDebug.h"

namespace {

const char kMachineInfo[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char kErrorLog[] = "/mnt/mtd/log/SensorError.log";
const std::string kStyles = "/hd1/moduleConfig/sensorConfig/style/";
const std::string kRules = "/hd1/moduleConfig/sensorConfig/styleDiversity/";
const std::string kRed = "\033[0m\033[31m";
const std::string kReset = "\033[0m";
const u32 kUntouched = 0xA5A5A5A5u;

ModuleConfigure moduleWith(const std::string& detail, int id = 1,
                           const std::string& parameters = "(camera=1)") {
    ModuleConfigure module;
    module.setModuleId(id);
    module.setDetail(detail);
    module.setParameters(parameters);
    return module;
}

bool contains(const std::string& text, const std::string& needle) {
    return text.find(needle) != std::string::npos;
}

std::vector<std::string> tabKeys(const TiXmlDocument& doc) {
    std::vector<std::string> keys;
    const TiXmlElement* root = doc.RootElement();
    for (const TiXmlElement* tab = root ? root->FirstChildElement() : nullptr; tab;
         tab = tab->NextSiblingElement()) {
        keys.push_back(tab->Attribute("key") ? tab->Attribute("key") : "?");
    }
    return keys;
}

// The "value" of the first element with the given "id", depth first.
std::string itemValue(const TiXmlElement* element, const char* id) {
    for (; element; element = element->NextSiblingElement()) {
        const char* own = element->Attribute("id");
        if (own && strcmp(own, id) == 0 && element->Attribute("value")) {
            return element->Attribute("value");
        }
        std::string inner = itemValue(element->FirstChildElement(), id);
        if (!inner.empty()) {
            return inner;
        }
    }
    return std::string();
}

class SysConfTest : public CameraDisk {
  protected:
    void TearDown() override {
        uinitSysConf(&m_stConf);
        CameraDisk::TearDown();
    }

    // initSysConf into m_stConf, with what it printed in m_strOut.
    void init(int camera, const ModuleConfigure& module) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(SNS_SUCCESS, initSysConf(camera, module, &m_stConf));
        m_strOut = testing::internal::GetCapturedStdout();
    }

    // One style per family whose root names the family, and one rule per
    // family, selected by (pick=1), that adds the tab "<family>-rules".
    void writeMarkerDisk() const {
        const char* families[][2] = {{"box", ""}, {"dome", "_dome"}, {"thermal", "_Thermal"}};
        for (const auto& family : families) {
            std::string name = family[0];
            writeFile(kStyles + "Style" + family[1] + ".xml",
                      "<Style family=\"" + name + "\"><Tab key=\"scheme\"/></Style>");
            writeFile(kRules + "StyleDiversity" + family[1] + ".xml",
                      "<StyleDiversity><Rule pick=\"1\"><AddAfter tab_key=\"scheme\"><Tab key=\"" +
                          name + "-rules\"/></AddAfter></Rule></StyleDiversity>");
        }
    }

    SysConfig m_stConf{};
    std::string m_strOut;
};

struct FieldCase {
    const char* detail;
    int result;
    u32 value;    // kUntouched when not found
    u32 schemes;  // nSchemeSum after initSysConf
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << '"' << c.detail << '"';
}

class SysConfDetailFieldTest : public SysConfTest,
                               public ::testing::WithParamInterface<FieldCase> {};

TEST_P(SysConfDetailFieldTest, ReadsMaxSchemeAndCountsSchemes) {
    const FieldCase& c = GetParam();
    u32 value = kUntouched;
    EXPECT_EQ(c.result, getDetailFieldTou32(c.detail, "max_scheme", &value));
    EXPECT_EQ(c.value, value);
    init(1, moduleWith(c.detail));
    EXPECT_EQ(c.schemes, m_stConf.nSchemeSum);
}

INSTANTIATE_TEST_SUITE_P(
    SysConf, SysConfDetailFieldTest,
    ::testing::Values(FieldCase{"(max_scheme=2)", 0, 2, 2},
                      FieldCase{"(isInfrared=1)", -1, kUntouched, 4},
                      FieldCase{"", -1, kUntouched, 4}, FieldCase{"(max_scheme=x)", 0, 0, 0},
                      FieldCase{"(xmax_scheme=7)(max_scheme=2)", 0, 7, 7},
                      FieldCase{"(max_scheme)(other=3)", 0, 3, 3},
                      FieldCase{"(max_scheme=12abc)", 0, 12, 12},
                      FieldCase{"(max_scheme=5", -1, kUntouched, 4},
                      FieldCase{"(lens=1)max_scheme", -1, kUntouched, 4},
                      // Cut to nine characters: "123456789".
                      FieldCase{"(max_scheme=1234567890123)", 0, 123456789, 123456789},
                      FieldCase{"(max_scheme=0000000012345)", 0, 1, 1}));

TEST_F(SysConfTest, DetailFieldTextIsCutToTheBufferAndNotTerminated) {
    char value[16];
    memset(value, 0, 10);
    memset(value + 10, 'Z', 6);
    EXPECT_EQ(0, getDetailFieldToStr("(sensor=abcdefghijklmnop)", "sensor", value));
    EXPECT_EQ(std::string("abcdefghi\0ZZZZZZ", 16), std::string(value, 16));

    memset(value, 'Z', sizeof(value));
    EXPECT_EQ(0, getDetailFieldToStr("(a=1)(sensor=ab)", "sensor", value, sizeof(value)));
    EXPECT_EQ("abZZ", std::string(value, 4)) << "the characters alone are copied";

    memset(value, 'Z', sizeof(value));
    EXPECT_EQ(0, getDetailFieldToStr("(sensor=ab)", "sensor", value, 1));
    EXPECT_EQ(-1, getDetailFieldToStr("(sensor=ab)", "lens", value));
    EXPECT_EQ(-1, getDetailFieldToStr(nullptr, "lens", value));
    EXPECT_EQ(std::string(16, 'Z'), std::string(value, 16));
}

struct FamilyCase {
    int deviceType;
    int camera;
    const char* family;
    bool reported;  // the device type is not one the module knows
};

void PrintTo(const FamilyCase& c, std::ostream* os) {
    *os << "type " << c.deviceType << " camera " << c.camera;
}

class SysConfFamilyTest : public SysConfTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(SysConfFamilyTest, LoadsTheStyleAndRulesOfTheFamily) {
    const FamilyCase& c = GetParam();
    writeMarkerDisk();
    writeFile(kMachineInfo, "[machine]\nDeviceType=" + std::to_string(c.deviceType) + "\n");
    init(c.camera, moduleWith("(pick=1)"));

    EXPECT_EQ(c.deviceType, m_stConf.nDeviceType);
    StyleDocument doc;
    ASSERT_TRUE(doc.LoadMem(m_stConf.szUIStyle, TIXML_ENCODING_UTF8)) << m_stConf.szUIStyle;
    EXPECT_STREQ(c.family, doc.RootElement()->Attribute("family"));
    EXPECT_EQ((std::vector<std::string>{"scheme", std::string(c.family) + "-rules"}), tabKeys(doc));
    std::string message = kRed + "machineinfo, devicetype(" + std::to_string(c.deviceType) +
                          ") error, must be 1 or 4 or 8 or 9 or 13\n" + kReset;
    if (c.reported) {
        EXPECT_TRUE(contains(m_strOut, "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || "));
        EXPECT_TRUE(contains(m_strOut, message)) << m_strOut;
    } else {
        EXPECT_EQ("", m_strOut);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SysConf, SysConfFamilyTest,
    ::testing::Values(FamilyCase{4, 1, "dome", false}, FamilyCase{19, 2, "thermal", false},
                      FamilyCase{19, 1, "dome", false}, FamilyCase{20, 2, "dome", false},
                      FamilyCase{13, 2, "thermal", false}, FamilyCase{13, 1, "box", false},
                      FamilyCase{5, 1, "dome", true}, FamilyCase{1, 2, "box", false},
                      FamilyCase{17, 2, "thermal", false}, FamilyCase{104, 2, "dome", false},
                      FamilyCase{18, 1, "box", false}),
    [](const ::testing::TestParamInfo<FamilyCase>& info) {
        return "Type" + std::to_string(info.param.deviceType) + "Camera" +
               std::to_string(info.param.camera);
    });

struct DiskCase {
    const char* family;
    int camera;
    int deviceType;
    const char* tab;        // a tab the rules placed ...
    const char* nextTab;    // ... right before this one
    const char* itemId;     // an item whose default a rule changed
    const char* itemValue;  // to this
};

void PrintTo(const DiskCase& c, std::ostream* os) {
    *os << c.family << " camera " << c.camera;
}

class SysConfSampleDiskTest : public SysConfTest, public ::testing::WithParamInterface<DiskCase> {};

TEST_P(SysConfSampleDiskTest, MergesTheSampleDiskOfTheFamily) {
    const DiskCase& c = GetParam();
    seed(c.family);
    MachineInfo machine;
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo(kMachineInfo, machine));
    std::vector<ModuleConfigure> modules;
    ASSERT_TRUE(ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml",
                                             machine.getHardwareModel(), machine.getHardwareCode(),
                                             modules));
    ASSERT_GE(modules.size(), static_cast<size_t>(c.camera));
    init(c.camera, modules[c.camera - 1]);

    EXPECT_EQ("", m_strOut) << "a complete disk raises no report";
    EXPECT_EQ(4u, m_stConf.nSchemeSum);
    EXPECT_EQ(c.deviceType, m_stConf.nDeviceType);
    EXPECT_EQ(c.camera, m_stConf.moduleConfig.nModuleId);
    StyleDocument doc;
    ASSERT_TRUE(doc.LoadMem(m_stConf.szUIStyle, TIXML_ENCODING_UTF8));
    std::vector<std::string> keys = tabKeys(doc);
    auto at = std::find(keys.begin(), keys.end(), std::string(c.tab));
    ASSERT_NE(keys.end(), at) << c.tab;
    ASSERT_NE(keys.end(), at + 1);
    EXPECT_EQ(c.nextTab, *(at + 1));
    EXPECT_EQ(c.itemValue, itemValue(doc.RootElement(), c.itemId));
    EXPECT_EQ(readFile("/tmp/merge_style.xml"), m_stConf.szUIStyle);
}

INSTANTIATE_TEST_SUITE_P(
    SysConf, SysConfSampleDiskTest,
    ::testing::Values(
        // Motorised lens: the lens tab follows exposure; starlight noise defaults.
        DiskCase{"box", 1, 1, "exposure", "lens", "2306", "40"},
        // Optical defog: a defog tab follows enhancement.
        DiskCase{"dome", 1, 4, "enhance", "defog", "2306", "40"},
        // Visible channel of the double-sensor bullet: fixed lens, no lens tab.
        DiskCase{"thermal", 1, 13, "exposure", "whitebalance", "2306", "40"},
        // Thermal channel: the core calibrates every 5 minutes.
        DiskCase{"thermal", 2, 13, "thermal", "ffc", "8203", "5"}),
    [](const ::testing::TestParamInfo<DiskCase>& info) {
        return std::string(info.param.family) + "Camera" + std::to_string(info.param.camera);
    });

TEST_F(SysConfTest, MissingMachineInformationIsReportedAndGivesTypeZero) {
    writeMarkerDisk();
    init(1, moduleWith("(pick=1)"));
    const std::string check =
        "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\", "
        "machineInfo)   ~~~Assertion failed.\n";
    EXPECT_TRUE(contains(m_strOut, check)) << m_strOut;
    EXPECT_TRUE(contains(readFile(kErrorLog), check.substr(0, check.size() - 1)));
    EXPECT_EQ(0, m_stConf.nDeviceType);
    EXPECT_TRUE(contains(m_strOut, "machineinfo, devicetype(0) error"));
    ASSERT_NE(nullptr, m_stConf.szUIStyle);
    EXPECT_TRUE(contains(m_stConf.szUIStyle, "family=\"dome\""));
}

TEST_F(SysConfTest, MissingStyleLeavesAnEmptyText) {
    writeFile(kMachineInfo, "DeviceType=1\n");
    writeFile(kRules + "StyleDiversity.xml", "");
    init(1, moduleWith("(max_scheme=2)"));
    ASSERT_NE(nullptr, m_stConf.szUIStyle);
    EXPECT_STREQ("", m_stConf.szUIStyle);
    EXPECT_TRUE(contains(m_strOut,
                         "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                         "getFileLen(strStyleFileName.c_str())) > 0   ~~~Assertion failed.\n"));
    EXPECT_TRUE(contains(m_strOut,
                         "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                         "getFileLen(strStyleDivFileName.c_str())) > 0   ~~~Assertion failed.\n"));
}

TEST_F(SysConfTest, CopiesTheModuleConfiguration) {
    memset(&m_stConf, 0x5A, sizeof(m_stConf));
    m_stConf.szUIStyle = nullptr;  // no heap block to release
    init(1, moduleWith("(max_scheme=2)(lens=1)", 7, "(lib=libsensordll.so)(camera=1)"));
    const ModuleConfig& config = m_stConf.moduleConfig;
    EXPECT_EQ(7, config.nModuleId);
    EXPECT_STREQ("xxx", config.szSpare1);
    EXPECT_STREQ("xxx", config.szSpare2);
    EXPECT_STREQ("(lib=libsensordll.so)(camera=1)", config.szParameters);
    EXPECT_STREQ("(max_scheme=2)(lens=1)", config.szDetail);
    EXPECT_EQ(0u, m_stConf.nUILanguageNum);
    EXPECT_EQ(nullptr, m_stConf.pstUILanguage);
}

TEST_F(SysConfTest, OverlongModuleTextsAreCutAndTerminated) {
    std::string detail = "(max_scheme=3)" + std::string(600, 'd');
    init(1, moduleWith(detail, 1, std::string(300, 'p')));
    EXPECT_EQ(std::string(255, 'p'), m_stConf.moduleConfig.szParameters);
    EXPECT_EQ(detail.substr(0, 511), m_stConf.moduleConfig.szDetail);
    EXPECT_EQ(3u, m_stConf.nSchemeSum);
}

TEST_F(SysConfTest, ReleasingTwiceFreesNothingTwice) {
    writeMarkerDisk();
    writeFile(kMachineInfo, "DeviceType=1\n");
    init(1, moduleWith("(pick=1)"));
    ASSERT_NE(nullptr, m_stConf.szUIStyle);
    uinitSysConf(&m_stConf);
    EXPECT_EQ(nullptr, m_stConf.szUIStyle);
    uinitSysConf(&m_stConf);
    uinitSysConf(nullptr);
    EXPECT_EQ(nullptr, m_stConf.szUIStyle);
}

TEST_F(SysConfTest, ReleasesTheTextsOfTheLanguageTable) {
    UILanguage languages[2] = {};
    languages[0].szLanguageFile = strdup("en.xml");
    languages[0].szCommonFile = strdup("common.xml");
    languages[1].szLanguageFile = strdup("de.xml");  // no common file
    SysConfig conf{};
    conf.nUILanguageNum = 2;
    conf.pstUILanguage = languages;
    conf.szUIStyle = strdup("<Style/>");
    uinitSysConf(&conf);
    uinitSysConf(&conf);
    EXPECT_EQ(languages, conf.pstUILanguage) << "the table itself is the owner's";
    for (const UILanguage& language : languages) {
        EXPECT_EQ(nullptr, language.szLanguageFile);
        EXPECT_EQ(nullptr, language.szCommonFile);
    }
    EXPECT_EQ(nullptr, conf.szUIStyle);
}

TEST_F(SysConfTest, NullRecordIsReported) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(SNS_SUCCESS, initSysConf(1, moduleWith("(max_scheme=2)"), nullptr));
    EXPECT_TRUE(contains(testing::internal::GetCapturedStdout(),
                         "NULL != p_stSysConf   ~~~Assertion failed.\n"));
}

TEST_F(SysConfTest, BeawayFlagIsSharedAndSettable) {
    bool before = getshowBeawayFalg();
    setshowBeawayFalg(!before);
    EXPECT_EQ(!before, getshowBeawayFalg());
    EXPECT_EQ(!before, g_bShoWBeawayFalg.load());
    setshowBeawayFalg(before);
    EXPECT_EQ(before, g_bShoWBeawayFalg.load());
}

}  // namespace
