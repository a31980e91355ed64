// Reports are named by the operation that makes the check, also where the
// check sits in a helper of that operation: operators search the log, the
// standard output and an abort's message by operation name.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <functional>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Reports.h"
#include "platform/HostSeams.h"
#include "sensor/SensorFile.h"
#include "sensor/sensor.h"

namespace {

const char kOneTab[] = "<S><T key='t'><I id='49' value='8'><O index='8'/></I></T></S>";

// A rule that applies and has no operation: the merge's rule loop reports it.
void mergeEmptyRule() {
    ModuleConfig config = ModuleConfig();
    strncpy(config.szDetail, "(lens=a)", sizeof(config.szDetail) - 1);
    char *style = strdup(kOneTab), rules[] = "<D><Rule lens='a'/></D>";
    mergeStyle(&config, &style, rules);
    free(style);
}

// One family of operations whose checks sit in helpers: the operation and
// source a report of the case names, and the text of that report.
// clang-format off
struct NameCase { const char* name; const char* source; bool started;  // on camera 1 of the box disk
    std::function<void(ISensorController*)> run; const char* text; };
const NameCase kNameCases[] = {
    {"mergeStyle", "SensorFile.cpp", false, [](ISensorController*) { mergeEmptyRule(); }, "NULL != (node_second = node_first->FirstChildElement())"},
    {"setParameters", "ISensorController.cpp", true, [](ISensorController* c) { c->setParameters("(12,1)", false); }, "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)"},
    {"saveToFile", "SensorFile.cpp", false, [](ISensorController*) { platform::failFileOperation(platform::fileRename, "snsversion"); setVersion(8); }, "file.commit()"},
    {"keyValToFile", "SensorFile.cpp", true, [](ISensorController* c) { c->setParameter(KEY_BRIGHTNESS, 3, true); platform::failFileOperation(platform::fileRename, "sensor0.cfg"); c->flush(); }, "file.commit()"},
    {"initSysConf", "sensor.cpp", false, [](ISensorController*) { SysConfig config; initSysConf(1, ModuleConfigure(), &config); uinitSysConf(&config); },
     "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\", machineInfo)"},
    {"getUICommonFile", "ISensorController.cpp", true, [](ISensorController* c) { c->getUICommonFile(3); }, "LanguageId(3)"},
};
// clang-format on
void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name;
}  // test lists show the name

using ReportNames = ControllerFixture;
class ReportNameTest : public ControllerFixture, public testing::WithParamInterface<NameCase> {};

}  // namespace

// The report that shows the case's text names the case's operation, under
// the one source it reports as, whichever file of that source holds the
// check.
TEST_P(ReportNameTest, ReportsNameTheirOperation) {
    const NameCase& c = GetParam();
    if (c.started)
        start();
    setSign("7\n");  // every kind of report
    std::string out = stdoutOf([&] { c.run(m_pController.get()); });
    platform::clearFileFaults();
    const size_t frame = out.rfind("file:", out.find(c.text));
    ASSERT_TRUE(contains(out, c.text) && frame != std::string::npos) << out;
    const std::string wanted = std::string("file:") + c.source + " fun:" + c.name + " line:";
    EXPECT_EQ(wanted, out.substr(frame, wanted.size()));
}

INSTANTIATE_TEST_SUITE_P(Operations, ReportNameTest, testing::ValuesIn(kNameCases), CaseName());

// An abort names the operation's full signature, also from a helper.
TEST_F(ReportNames, AbortFromAHelperNamesTheOperationsSignature) {
    GTEST_FLAG_SET(death_test_style, "fast");
    setSign("1\n1\n");
    EXPECT_DEATH(mergeEmptyRule(),
                 "int mergeStyle\\(ModuleConfig ?\\*, char ?\\*\\*, char ?\\*\\): Assertion");
}
