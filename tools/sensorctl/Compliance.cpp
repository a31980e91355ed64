#include "Compliance.h"

#include <map>

#include "CommandLine.h"
#include "KeyNames.h"
#include "StyleView.h"
#include "sensor/SensorFile.h"
#include "sensor/SensorKeys.h"

namespace {

const u32 kSchemeKeys[] = {KEY_SCHEME_MODE, KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN,
                           KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};

std::string nameOf(const StyleSetting& setting) {
    std::string name = "setting " + (setting.hasId ? setting.id : std::string("without id"));
    return setting.label.empty() ? name : name + " (" + setting.label + ")";
}

void checkNumbers(const StyleSetting& setting, std::vector<std::string>& problems) {
    int number = 0;
    if (!setting.hasId || !parseInt(setting.id, number)) {
        problems.push_back(nameOf(setting) + ": id '" + setting.id + "' is not a number");
    }
    if (!setting.hasValue || !parseInt(setting.value, number)) {
        problems.push_back(nameOf(setting) + ": value '" + setting.value + "' is not a number");
    }
}

void checkChoices(const StyleSetting& setting, std::vector<std::string>& problems) {
    if (setting.choicesWithoutIndex > 0) {
        problems.push_back(nameOf(setting) + ": a choice has no index");
    }
    for (const auto& choice : setting.choices) {
        if (choice.first == setting.value) {
            return;
        }
    }
    problems.push_back(nameOf(setting) + ": value " + setting.value + " is not one of its choices");
}

void checkBounds(const StyleSetting& setting, std::vector<std::string>& problems) {
    int low = 0;
    int high = 0;
    int value = 0;
    if (!parseInt(setting.min, low) || !parseInt(setting.max, high)) {
        problems.push_back(nameOf(setting) + ": bounds '" + setting.min + ".." + setting.max +
                           "' are not numbers");
    } else if (parseInt(setting.value, value) && (value < low || value > high)) {
        problems.push_back(nameOf(setting) + ": value " + setting.value + " lies outside " +
                           setting.min + ".." + setting.max);
    }
}

void checkSetting(const StyleSetting& setting, std::vector<std::string>& problems) {
    checkNumbers(setting, problems);
    if (setting.type == "combo" || setting.type == "switch" || !setting.choices.empty()) {
        checkChoices(setting, problems);
    } else if (setting.type == "slider" || setting.type == "time") {
        checkBounds(setting, problems);
    }
    int key = 0;
    if (parseInt(setting.id, key) && !isMappedKey(static_cast<u32>(key)) &&
        !isLightTypePartnerKey(static_cast<u32>(key))) {
        problems.push_back(nameOf(setting) + ": key " + setting.id +
                           " is neither in the key-command map nor a partner key");
    }
}

// The factory set is every setting with an id and a value, in document order.
void checkFactorySet(const std::vector<StyleSetting>& settings,
                     std::vector<std::string>& problems) {
    std::vector<std::string> keys;
    std::map<std::string, int> seen;
    for (const StyleSetting& setting : settings) {
        if (setting.hasId && setting.hasValue) {
            keys.push_back(setting.id);
        }
        if (setting.hasId && ++seen[setting.id] == 2) {
            problems.push_back(nameOf(setting) + ": id " + setting.id + " repeats");
        }
    }
    for (size_t i = 0; i < 5; ++i) {
        std::string expected = std::to_string(kSchemeKeys[i]);
        if (i >= keys.size() || keys[i] != expected) {
            problems.push_back("factory set: record " + std::to_string(i + 1) + " is key " +
                               (i < keys.size() ? keys[i] : std::string("(none)")) +
                               ", the scheme keys 8000-8004 must come first");
        }
    }
    if (keys.size() > FACTORY_KEYVAL_CAPACITY) {
        problems.push_back("factory set: " + std::to_string(keys.size()) +
                           " records, more than the " + std::to_string(FACTORY_KEYVAL_CAPACITY) +
                           " its array holds");
    }
}

}  // namespace

std::vector<std::string> checkTailoredStyle(const std::string& xml) {
    std::vector<std::string> problems;
    std::vector<StyleSetting> settings;
    std::string error;
    if (!readStyleSettings(xml, settings, error)) {
        problems.push_back("style: does not parse: " + error);
        return problems;
    }
    for (const StyleSetting& setting : settings) {
        checkSetting(setting, problems);
    }
    checkFactorySet(settings, problems);
    return problems;
}
