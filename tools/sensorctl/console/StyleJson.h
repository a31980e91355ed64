// The tailored style document as the console's page draws it: its tabs and
// their settings, in document order.
#ifndef TOOLS_SENSORCTL_CONSOLE_STYLEJSON_H
#define TOOLS_SENSORCTL_CONSOLE_STYLEJSON_H

#include <nlohmann/json.hpp>
#include <string>

// {"tabs": [{"key", "label", "items": [{"id", "type", "label", "value",
// "min", "max", "step", "choices": [{"value", "label"}]}]}]}; numbers where
// the document has numbers, absent attributes left out. False with the
// parser's message.
bool styleToJson(const std::string& xml, nlohmann::json& page, std::string& error);

#endif
