#include "Commands.h"

#include <stdlib.h>

#include <sstream>

#include "CommandLine.h"

namespace {

enum ArgKind { ARG_INT, ARG_BOOL, ARG_TEXT, ARG_SECONDS, ARG_CLOCK };

struct Param {
    ArgKind kind;
    bool optional;
};

ArgKind kindOf(const std::string& name) {
    for (const char* text : {"PAIRS", "IDS", "FILE", "TEXT"}) {
        if (name == text) {
            return ARG_TEXT;
        }
    }
    for (const char* flag : {"SAVE", "FORCE", "SHOW", "LOCK"}) {
        if (name == flag) {
            return ARG_BOOL;
        }
    }
    if (name == "SECONDS") {
        return ARG_SECONDS;
    }
    return name == "HH:MM" ? ARG_CLOCK : ARG_INT;
}

std::vector<Param> paramsOf(const Command& command) {
    std::vector<Param> params;
    std::istringstream in(command.params);
    std::string word;
    while (in >> word) {
        bool optional = word.front() == '[';
        std::string name = optional ? word.substr(1, word.size() - 2) : word;
        params.push_back(Param{kindOf(name), optional});
    }
    return params;
}

bool fits(const Param& param, const std::string& word) {
    int number = 0;
    int minute = 0;
    bool flag = false;
    char* end = nullptr;
    switch (param.kind) {
        case ARG_INT:
            return parseInt(word, number);
        case ARG_BOOL:
            return parseBool(word, flag);
        case ARG_SECONDS:
            return strtod(word.c_str(), &end) >= 0 && !word.empty() && *end == '\0';
        case ARG_CLOCK:
            return parseClock(word, number, minute);
        default:
            return true;
    }
}

std::string usageOf(const Command& command) {
    return command.params.empty() ? command.name : command.name + " " + command.params;
}

// Takes the parameters of invocation.command from words[at...]; greedy is
// false for a line (all its words belong to the command).
bool takeArgs(const std::vector<std::string>& words, size_t& at, bool greedy,
              Invocation& invocation, std::string& error) {
    const Command& command = *invocation.command;
    for (const Param& param : paramsOf(command)) {
        bool present = at < words.size() && !(greedy && param.optional && findCommand(words[at]));
        if (present && param.optional && !fits(param, words[at]) && greedy) {
            present = false;
        }
        if (!present) {
            if (param.optional) {
                continue;
            }
            error = command.name + ": missing argument (usage: " + usageOf(command) + ")";
            return false;
        }
        if (!fits(param, words[at])) {
            error = command.name + ": bad argument '" + words[at] +
                    "' (usage: " + usageOf(command) + ")";
            return false;
        }
        invocation.args.push_back(words[at++]);
    }
    return true;
}

}  // namespace

int Args::number(size_t n, int fallback) const {
    int value = fallback;
    return has(n) && parseInt(m_words[n], value) ? value : fallback;
}

bool Args::flag(size_t n, bool fallback) const {
    bool value = fallback;
    return has(n) && parseBool(m_words[n], value) ? value : fallback;
}

double Args::seconds(size_t n) const {
    return has(n) ? strtod(m_words[n].c_str(), nullptr) : 0.0;
}

const CommandTable& commands() {
    static const CommandTable table = [] {
        CommandTable all;
        addControllerCommands(all);
        addToolCommands(all);
        return all;
    }();
    return table;
}

const Command* findCommand(const std::string& name) {
    for (const Command& command : commands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

bool parseInvocation(const std::vector<std::string>& words, Invocation& invocation,
                     std::string& error) {
    invocation.command = words.empty() ? nullptr : findCommand(words[0]);
    invocation.args.clear();
    if (!invocation.command) {
        error = (words.empty() ? std::string("empty command") : words[0]) + ": unknown command";
        return false;
    }
    size_t at = 1;
    if (!takeArgs(words, at, false, invocation, error)) {
        return false;
    }
    if (at < words.size()) {
        error = words[0] + ": too many arguments (usage: " + usageOf(*invocation.command) + ")";
        return false;
    }
    return true;
}

bool parseInvocations(const std::vector<std::string>& words, std::vector<Invocation>& invocations,
                      std::string& error) {
    for (size_t at = 0; at < words.size();) {
        Invocation invocation{findCommand(words[at]), {}};
        if (!invocation.command) {
            error = words[at] + ": unknown command";
            return false;
        }
        ++at;
        if (!takeArgs(words, at, true, invocation, error)) {
            return false;
        }
        invocations.push_back(invocation);
    }
    return true;
}

std::string yesNo(bool value) {
    return value ? "true" : "false";
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}
