// The settings of a style document as the image-settings page shows them.
#ifndef TOOLS_SENSORCTL_STYLEVIEW_H
#define TOOLS_SENSORCTL_STYLEVIEW_H

#include <string>
#include <utility>
#include <vector>

struct StyleSetting {
    bool hasId = false;
    bool hasValue = false;
    std::string id;
    std::string value;
    std::string type;  // slider, time, combo, switch, button, hidden
    std::string label;
    std::string min;
    std::string max;
    std::string step;
    std::vector<std::pair<std::string, std::string>> choices;  // index, label
    int choicesWithoutIndex = 0;
};

// Every Item of the document, and every other element with an id or a
// value, in document order; false with the parser's message.
bool readStyleSettings(const std::string& xml, std::vector<StyleSetting>& settings,
                       std::string& error);

// What the page offers for a setting: "choices 8=1/25 ...", "bounds 0..100
// step 1", or its type.
std::string offersOf(const StyleSetting& setting);

#endif
