// Reports are named by the operation that makes the check, also where the
// check sits in a helper of that operation: operators search the log, the
// standard output and an abort's message by operation name.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Eventually.h"
#include "fixtures/Reports.h"
#include "platform/HostSeams.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "sensor/StyleDocument.h"
#include "sensor/sensor.h"

namespace {

// Every operation of the module's interface: the only names a report may
// carry, each with the one source it reports under, whichever file of that
// source holds the check (operators search the log by both).
const char* const kControllerOperations[] = {"init",
                                             "uinit",
                                             "setChannelID",
                                             "getSensorType",
                                             "getSensorStatus",
                                             "setVideoStreamModule",
                                             "notifyToVideo",
                                             "findFromKeyCmdMap",
                                             "sensorThread",
                                             "parseSensorParameter",
                                             "getParameters",
                                             "getAllParameters",
                                             "SensorCheck",
                                             "setParameters",
                                             "setParameter",
                                             "getParameter",
                                             "setKeyValToCache",
                                             "getKeyValFromCache",
                                             "isKeyValSame",
                                             "getCmdExecStatus",
                                             "switch_to",
                                             "LPR_switch_to",
                                             "setParamScheme",
                                             "getParamScheme",
                                             "judgeCurScheme",
                                             "paramCheck",
                                             "setParamMode",
                                             "getParamMode",
                                             "restore",
                                             "restoreAeMode",
                                             "resetParameters",
                                             "resetToLastParameters",
                                             "flush",
                                             "doIaCmd",
                                             "doIaCmd_User",
                                             "doHwdr",
                                             "doImageAdjust",
                                             "doDIS",
                                             "doIaCmd_PanoTuning",
                                             "doDNThr",
                                             "doDNTime",
                                             "doMirror",
                                             "doBeaway",
                                             "getSensorParamRange",
                                             "getUICommonFile",
                                             "getUILanguageFile",
                                             "getUIStyleFile"};
const char* const kSensorFileFunctions[] = {
    "getDetailFieldTou32", "getDetailFieldToStr", "mergeStyle",       "updateStyleTab",
    "getDnaStyle",         "doDnaStyle",          "getDnaValbyCmdId", "getNodebyCmdId",
    "DeleteNode",          "ModifyNodebyCmdId",   "style2KeyVal",     "getFctData",
    "getFileLen",          "loadFromFile",        "saveToFile",       "keyValFromFile",
    "keyValToFile",        "getVersion",          "setVersion"};

std::map<std::string, std::string> operationSources() {
    std::map<std::string, std::string> sources = {{"initSysConf", "sensor.cpp"},
                                                  {"uinitSysConf", "sensor.cpp"},
                                                  {"keyval_correct", "SensorKeyVal.cpp"}};
    for (const char* name : kControllerOperations) {
        sources[name] = "ISensorController.cpp";
    }
    for (const char* name : kSensorFileFunctions) {
        sources[name] = "SensorFile.cpp";
    }
    return sources;
}
const std::map<std::string, std::string> kOperations = operationSources();

// The names in the "fun:NAME line:" frames of a text.
std::set<std::string> reportingFunctions(const std::string& text) {
    static const std::regex frame("fun:(\\S+) line:");
    std::set<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), frame), end; it != end; ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

// Each "file:SOURCE fun:NAME line:" frame of a text whose source is not the
// one its operation reports under.
std::vector<std::string> misplacedFrames(const std::string& text) {
    static const std::regex frame("file:(\\S+) fun:(\\S+) line:");
    std::vector<std::string> wrong;
    for (std::sregex_iterator it(text.begin(), text.end(), frame), end; it != end; ++it) {
        auto source = kOperations.find((*it)[2]);
        if (source == kOperations.end() || source->second != (*it)[1]) {
            wrong.push_back((*it)[0]);
        }
    }
    return wrong;
}

std::string styleMergedBy(const char* detail, const char* style, const char* diversity) {
    ModuleConfig config;
    memset(&config, 0, sizeof(config));
    strncpy(config.szDetail, detail, sizeof(config.szDetail) - 1);
    char* ui_style = strdup(style);
    std::string div = diversity;
    mergeStyle(&config, &ui_style, &div[0]);
    std::string text = ui_style;
    free(ui_style);
    return text;
}

// A rule that applies and has no operation: the merge's rule loop reports it.
const char kEmptyRule[] = "<D><Rule lens='a'/></D>";
const char kOneTab[] = "<S><T key='t'><I id='49' value='8'><O index='8'/></I></T></S>";

class ReportNames : public ControllerFixture {
  public:
    using ControllerFixture::m_pController;
    using ControllerFixture::moduleFor;
    using ControllerFixture::seed;
    using ControllerFixture::start;
    using SandboxRoot::writeFile;

  protected:
    void TearDown() override {
        platform::clearFileFaults();
        ControllerFixture::TearDown();
    }
};

struct NameCase {
    const char* name;
    const char* function;  // the operation every report of the case must name
    std::function<void(ReportNames&)> prepare;
    std::function<void(ReportNames&)> run;
    const char* text;  // a report text of the case, "" for none
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

class ReportNameTest : public ReportNames, public testing::WithParamInterface<NameCase> {};

const NameCase kNameCases[] = {
    {"mergeStyle", "mergeStyle", nullptr,
     [](ReportNames&) { styleMergedBy("(lens=a)", kOneTab, kEmptyRule); },
     "NULL != (node_second = node_first->FirstChildElement())"},
    {"sensorThread", "sensorThread",
     [](ReportNames& t) {
         t.start();
         t.m_pController->setParameters("(8000,2)", true);
     },
     [](ReportNames& t) {
         // The sensor thread's next tick sees the night and switches.
         iasim::setDayNightState(0, 1);
         int scheme = 0;
         EXPECT_TRUE(
             eventually([&] { return t.m_pController->getParamScheme(scheme) && scheme == 1; }));
     },
     "SCHEME: auto switch_to(1)"},
    {"setParameters", "setParameters", [](ReportNames& t) { t.start(); },
     [](ReportNames& t) { t.m_pController->setParameters("(12,1)", false); },
     "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)"},
    {"setParametersFailure", "setParameters",
     [](ReportNames& t) {
         t.start();
         iasim::failCommand(0, KEY_BRIGHTNESS, -1);
     },
     [](ReportNames& t) { t.m_pController->setParameter(KEY_BRIGHTNESS, 3, true); },
     "~~~failed ia_ret=-1"},
    {"getDnaStyle", "getDnaStyle",
     [](ReportNames&) {
         iasim::setDynamicCommands(0, {KEY_MAX_SHUTTER});
         iasim::failCommand(0, KEY_MAX_SHUTTER, -1, IA_CMD_OPT_GET_PARAM_RNAGE);
     },
     [](ReportNames&) {
         std::string out;
         getDnaStyle(1, kOneTab, out, false);
     },
     "dnaCmdList.cmd_list[0] = cmd(49)"},
    {"doDnaStyle", "doDnaStyle", nullptr,
     [](ReportNames&) {
         StyleDocument doc;
         doc.LoadMem(kOneTab, TIXML_ENCODING_UTF8);
         ia_dynamic_params_attr_st param = ia_dynamic_params_attr_st();
         param.default_val = 4;
         doDnaStyle(doc.RootElement(), KEY_MAX_SHUTTER, &param);
     },
     "delete comboitem(8)"},
    {"saveToFile", "saveToFile",
     [](ReportNames&) { platform::failFileOperation(platform::fileOpen, "saved.bin"); },
     [](ReportNames&) {
         char name[] = "/mnt/mtd/saved.bin";
         char data[] = "abc";
         saveToFile(name, data, 3);
     },
     "file.open(file_name, TXFile::modeWrite | TXFile::modeTruncate)"},
    {"setVersion", "saveToFile",
     [](ReportNames&) { platform::failFileOperation(platform::fileRename, "snsversion"); },
     [](ReportNames&) { setVersion(8); }, "file.commit()"},
    {"flush", "keyValToFile",
     [](ReportNames& t) {
         t.start();
         t.m_pController->setParameter(KEY_BRIGHTNESS, 3, true);
         platform::failFileOperation(platform::fileRename, "sensor0.cfg");
     },
     [](ReportNames& t) { t.m_pController->flush(); }, "file.commit()"},
    {"initSchemeFiles", "keyValToFile",
     [](ReportNames& t) {
         t.seed("box");
         platform::failFileOperation(platform::fileOpen, "sensor1.cfg");
     },
     [](ReportNames& t) {
         ISensorController controller;
         controller.init(t.moduleFor(1));
         controller.uinit();
     },
     "file.open(file_name, TXFile::modeWrite | TXFile::modeTruncate)"},
    {"initSysConf", "initSysConf", nullptr,
     [](ReportNames&) {
         SysConfig config;
         initSysConf(1, ModuleConfigure(), &config);
         uinitSysConf(&config);
     },
     "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\", "
     "machineInfo)"},
    {"getUICommonFile", "getUICommonFile", [](ReportNames& t) { t.start(); },
     [](ReportNames& t) { t.m_pController->getUICommonFile(3); }, "LanguageId(3)"},
    {"getUILanguageFile", "getUILanguageFile", [](ReportNames& t) { t.start(); },
     [](ReportNames& t) { t.m_pController->getUILanguageFile(4); }, "LanguageId(4)"},
};

}  // namespace

// Every report of the case, on standard output and in the error log, names a
// documented operation, and those that the case provokes name its operation.
TEST_P(ReportNameTest, ReportsNameTheirOperation) {
    const NameCase& c = GetParam();
    if (c.prepare) {
        c.prepare(*this);
    }
    setSign("7\n");  // every kind of report
    removeTree(hostPath(kErrorLog));
    std::string out = stdoutOf([&] { c.run(*this); });
    std::string log = exists(kErrorLog) ? readFile(kErrorLog) : "";
    EXPECT_TRUE(contains(out, c.text)) << out;
    std::set<std::string> named = reportingFunctions(out);
    EXPECT_EQ(1u, named.count(c.function)) << out;
    for (const std::string& text : {out, log}) {
        for (const std::string& function : reportingFunctions(text)) {
            EXPECT_EQ(1u, kOperations.count(function)) << "fun:" << function << "\n" << text;
        }
        EXPECT_EQ(std::vector<std::string>(), misplacedFrames(text)) << text;
    }
    // The report that shows the case's text carries the operation's name.
    size_t at = out.find(c.text);
    size_t frame = out.rfind("fun:", at);
    ASSERT_NE(std::string::npos, frame) << out;
    EXPECT_EQ(std::string("fun:") + c.function + " ", out.substr(frame, strlen(c.function) + 5));
}

INSTANTIATE_TEST_SUITE_P(Operations, ReportNameTest, testing::ValuesIn(kNameCases), CaseName());

// An abort names the operation's full signature, also from a helper.
TEST_F(ReportNames, AbortFromAHelperNamesTheOperationsSignature) {
    GTEST_FLAG_SET(death_test_style, "fast");
    setSign("1\n1\n");
    EXPECT_DEATH(styleMergedBy("(lens=a)", kOneTab, kEmptyRule),
                 "int mergeStyle\\(ModuleConfig ?\\*, char ?\\*\\*, char ?\\*\\): Assertion");
    platform::failFileOperation(platform::fileRename, "snsversion");
    EXPECT_DEATH(setVersion(8), "int saveToFile\\(char ?\\*, char ?\\*, INT64\\): Assertion");
}
