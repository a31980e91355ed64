// Detail texts "(name=value)..." through the two field readers and through
// initSysConf on the sample disk.
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "sensor/SensorFile.h"
#include "sensor/sensor.h"

namespace {

void readFields(const std::string& field, const std::string& detail) {
    u32 nValue = 0xA5A5A5A5u;
    int nFound = getDetailFieldTou32(detail.c_str(), field.c_str(), &nValue);
    fuzzCheck(nFound == 0 || (nFound == -1 && nValue == 0xA5A5A5A5u),
              "a field not found leaves the value untouched");

    // A buffer of exactly the reader's room, so that a byte past it is an overflow.
    std::vector<char> value(DETAIL_VALUE_LEN, '\0');
    int nCopied = getDetailFieldToStr(detail.c_str(), field.c_str(), value.data());
    fuzzCheck(nCopied == nFound, "both readers find the same fields");
    fuzzCheck(value.back() == '\0', "the copied value stays terminated");
}

void initialiseOnSample(const std::string& field, const std::string& detail) {
    ModuleConfigure module = sampleModuleConfigure();
    module.setDetail(detail);
    module.setParameters(field);
    SysConfig config;
    initSysConf(1, module, &config);
    fuzzCheck(memchr(config.moduleConfig.szDetail, '\0', sizeof(config.moduleConfig.szDetail)) &&
                  memchr(config.moduleConfig.szParameters, '\0',
                         sizeof(config.moduleConfig.szParameters)),
              "the module texts stay terminated");
    fuzzCheck(config.szUIStyle != nullptr, "initSysConf leaves a style text");
    uinitSysConf(&config);
}

}  // namespace

int fuzzDetailText(const uint8_t* data, size_t size) {
    fuzzSandbox();
    FuzzInput input(data, size);
    input.byte();  // once the size of the value buffer, now fixed; kept for the corpus
    std::string field = input.text();
    std::string detail = input.rest();
    readFields(field, detail);
    initialiseOnSample(field, detail);
    return 0;
}
