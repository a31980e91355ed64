#include "SimProfile.h"

#include <sstream>
#include <vector>

#include "CommandLine.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"

namespace {

bool readNumbers(std::istringstream& in, std::vector<int>& numbers) {
    std::string word;
    while (in >> word) {
        int number = 0;
        if (!parseInt(word, number)) {
            return false;
        }
        numbers.push_back(number);
    }
    return true;
}

// One line; the dynamic commands are collected and handed over at the end.
bool applyLine(const std::string& line, int channel, std::vector<int32_t>& dynamic,
               std::string& error) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "version") {
        std::string text;
        getline(in >> std::ws, text);
        iasim::setVersionText(channel, text);
        return true;
    }
    std::vector<int> numbers;
    if (!readNumbers(in, numbers)) {
        error = "expected numbers after '" + verb + "'";
        return false;
    }
    if (verb == "day-night" && numbers.size() == 1) {
        iasim::setDayNightState(channel, numbers[0]);
    } else if (verb == "value" && numbers.size() == 2) {
        iasim::setValue(channel, static_cast<uint32_t>(numbers[0]), numbers[1]);
    } else if (verb == "range" && numbers.size() >= 3 &&
               numbers.size() - 3 <= IA_DYNAMIC_ITEMS_MAX && dynamic.size() < IA_DYNAMIC_CMDS_MAX) {
        dynamic.push_back(numbers[0]);
        iasim::setParamRange(channel, static_cast<uint32_t>(numbers[0]), numbers[1], numbers[2],
                             std::vector<int32_t>(numbers.begin() + 3, numbers.end()));
    } else {
        error = "cannot read '" + line + "'";
        return false;
    }
    return true;
}

}  // namespace

bool applyProfile(const std::string& text, int channel, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    std::vector<int32_t> dynamic;
    for (int number = 1; getline(lines, line); ++number) {
        size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') {
            continue;
        }
        if (!applyLine(line.substr(start), channel, dynamic, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
    }
    iasim::setDynamicCommands(channel, dynamic);
    return true;
}
