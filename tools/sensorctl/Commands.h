// The commands of sensorctl: every public operation of the controller under
// its own name, and the tool's own commands.
#ifndef TOOLS_SENSORCTL_COMMANDS_H
#define TOOLS_SENSORCTL_COMMANDS_H

#include <functional>
#include <string>
#include <vector>

class Session;

// The arguments of one command, already checked against its parameters.
class Args {
  public:
    explicit Args(const std::vector<std::string>& words) : m_words(words) {}
    bool has(size_t n) const { return n < m_words.size(); }
    const std::string& text(size_t n) const { return m_words[n]; }
    int number(size_t n, int fallback = 0) const;
    bool flag(size_t n, bool fallback = false) const;
    double seconds(size_t n) const;

  private:
    std::vector<std::string> m_words;
};

struct Command {
    std::string name;
    // Parameter names, optional ones in brackets, e.g. "KEY DIR [VALUE]". The
    // name gives the type: PAIRS, IDS, FILE and TEXT take any word; SAVE,
    // FORCE, SHOW and LOCK a boolean; SECONDS a number; HH:MM a time of day;
    // every other name an integer.
    std::string params;
    std::string help;
    std::function<void(Session&, const Args&)> run;
};

typedef std::vector<Command> CommandTable;

void addControllerCommands(CommandTable& table);
void addToolCommands(CommandTable& table);

// Every command, the controller's first.
const CommandTable& commands();
const Command* findCommand(const std::string& name);

// A command with the words of its arguments.
struct Invocation {
    const Command* command;
    std::vector<std::string> args;
};

// One line's words as one invocation; false with a message naming the command.
bool parseInvocation(const std::vector<std::string>& words, Invocation& invocation,
                     std::string& error);
// Command-line words as a run of invocations: each command takes its
// parameters, an optional one only when the next word fits it.
bool parseInvocations(const std::vector<std::string>& words, std::vector<Invocation>& invocations,
                      std::string& error);

// Answer helpers.
std::string yesNo(bool value);
std::string joined(const std::vector<std::string>& words);

#endif
