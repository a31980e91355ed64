// A style and a style-diversity text through mergeStyle, selected by a
// detail text.
#include <stdlib.h>
#include <string.h>

#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "sensor/SensorFile.h"

int fuzzStyleMerge(const uint8_t* data, size_t size) {
    fuzzSandbox();  // the merge writes its scratch file under the root
    FuzzInput input(data, size);
    std::string detail = input.text();
    std::string style = input.text();
    std::string diversity = input.rest();

    ModuleConfig config;
    memset(&config, 0, sizeof(config));
    strncpy(config.szDetail, detail.c_str(), sizeof(config.szDetail) - 1);
    char* ui_style = strdup(style.c_str());
    fuzzCheck(ui_style != nullptr, "memory for the style");
    mergeStyle(&config, &ui_style, &diversity[0]);
    fuzzCheck(ui_style != nullptr, "mergeStyle leaves a style text");
    free(ui_style);
    return 0;
}
