// Words of a command line and the typed arguments of a command.
#ifndef TOOLS_SENSORCTL_COMMANDLINE_H
#define TOOLS_SENSORCTL_COMMANDLINE_H

#include <string>
#include <vector>

// Splits a line into words at blanks; '...' and "..." group words, a
// backslash outside single quotes takes the next character as it is. False
// on an unterminated quote.
bool splitWords(const std::string& line, std::vector<std::string>& words);

// A whole decimal (or 0x hexadecimal) 32-bit integer.
bool parseInt(const std::string& text, int& value);
// 1/0, true/false, on/off.
bool parseBool(const std::string& text, bool& value);
// HH:MM within a day.
bool parseClock(const std::string& text, int& hour, int& minute);

#endif
