#include "LogLines.h"

namespace {

std::string words(const std::vector<int32_t>& values) {
    std::string text;
    for (int32_t value : values) {
        text += (text.empty() ? "" : ",") + std::to_string(value);
    }
    return text;
}

}  // namespace

std::string callLine(const iasim::Call& call) {
    static const char* const kOptions[] = {"set", "get", "range", "correct", "status"};
    std::string option = call.opt < 5 ? kOptions[call.opt] : std::to_string(call.opt);
    return "ch" + std::to_string(call.ch) + " " + std::to_string(call.cmd) + " " + option +
           " in=" + words(call.in) + " out=" + words(call.out);
}

std::string notificationLine(const RecordingVideoModule::Notification& n) {
    return "channel " + std::to_string(n.channel) + " key " + std::to_string(n.key) + " value " +
           std::to_string(n.value);
}
