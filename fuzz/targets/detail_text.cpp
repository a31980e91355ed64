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

void readFields(const std::string& field, const std::string& detail, size_t nValueSize) {
    u32 nValue = 0xA5A5A5A5u;
    int nFound = getDetailFieldTou32(detail.c_str(), field.c_str(), &nValue);
    fuzzCheck(nFound == 0 || (nFound == -1 && nValue == 0xA5A5A5A5u),
              "a field not found leaves the value untouched");

    // A buffer of exactly the given size, so that a byte past it is an
    // overflow; a size of 0 gets one byte that must stay as it is.
    std::vector<char> value(nValueSize > 0 ? nValueSize : 1, '\0');
    int nCopied = getDetailFieldToStr(detail.c_str(), field.c_str(), value.data(), nValueSize);
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
    size_t nValueSize = input.byte() % 32;
    std::string field = input.text();
    std::string detail = input.rest();
    readFields(field, detail, nValueSize);
    initialiseOnSample(field, detail);
    return 0;
}
