#include "CommandLine.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

bool splitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quote) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < line.size()) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inWord) {
                words.push_back(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return quote == 0;
}

bool parseInt(const std::string& text, int& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long long number = strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || number < INT_MIN || number > UINT_MAX) {
        return false;
    }
    // Keys and commands are unsigned on the processor's side: 0xffffffff is -1.
    value = static_cast<int>(static_cast<unsigned>(number));
    return true;
}

bool parseBool(const std::string& text, bool& value) {
    if (text == "1" || text == "true" || text == "on") {
        value = true;
        return true;
    }
    if (text == "0" || text == "false" || text == "off") {
        value = false;
        return true;
    }
    return false;
}

bool parseClock(const std::string& text, int& hour, int& minute) {
    char tail = 0;
    if (sscanf(text.c_str(), "%d:%d%c", &hour, &minute, &tail) != 2) {
        return false;
    }
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}
