// sensorctl: runs one image-sensor controller on a camera disk in a
// directory, against the simulated processor, and drives it by commands.
//
// The controller's own diagnostics (it prints them on standard output on the
// camera) go to sensorctl.log in the root, or with -v to standard error;
// standard output carries the answers.
#include <stdio.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "Options.h"
#include "ServeCommand.h"
#include "Session.h"

namespace {

enum { EXIT_OK = 0, EXIT_PROBLEMS = 1, EXIT_USAGE = 2 };

// Keeps the real standard output for the answers and sends everything else
// written to it (the module's reports) to standard error.
FILE* separateAnswers() {
    fflush(stdout);
    int answers = dup(STDOUT_FILENO);
    if (answers < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        return stdout;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    FILE* out = fdopen(answers, "w");
    return out ? out : stdout;
}

int usageError(const std::string& message) {
    fprintf(stderr, "sensorctl: %s\n", message.c_str());
    return EXIT_USAGE;
}

bool onlyHelp(const Options& options) {
    return options.help || (options.commands.size() == 1 && options.commands[0] == "help");
}

// Reads commands from standard input until its end or "quit".
int runInteractive(Session& session) {
    bool prompt = isatty(STDIN_FILENO) != 0;
    bool usage = false;
    std::string line;
    for (;;) {
        if (prompt) {
            fputs("sensor> ", stderr);
        }
        if (!std::getline(std::cin, line)) {
            break;
        }
        std::vector<std::string> words;
        Invocation invocation;
        std::string error;
        if (!splitWords(line, words)) {
            error = "unterminated quote";
        } else if (words.empty() || words[0][0] == '#') {
            continue;
        } else if (words[0] == "quit" || words[0] == "exit") {
            break;
        } else if (parseInvocation(words, invocation, error)) {
            invocation.command->run(session, Args(invocation.args));
            continue;
        }
        usageError(error);
        usage = true;
    }
    return usage ? EXIT_USAGE : EXIT_OK;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        return usageError(error + " (see sensorctl --help)");
    }
    if (onlyHelp(options)) {
        fputs(kOptionsHelp, stdout);
        Session helpOnly(options, stdout);
        findCommand("help")->run(helpOnly, Args({}));
        return EXIT_OK;
    }
    // Every command is checked before the disk is touched.
    std::vector<Invocation> invocations;
    if (!parseInvocations(options.commands, invocations, error)) {
        return usageError(error);
    }
    FILE* answers = separateAnswers();
    Session session(options, answers);
    if (!session.open(error)) {
        fprintf(stderr, "sensorctl: %s\n", error.c_str());
        return session.refused() ? EXIT_PROBLEMS : EXIT_USAGE;
    }
    int status = EXIT_OK;
    if (options.serve) {
        status = runServe(session) ? EXIT_OK : EXIT_PROBLEMS;
    } else if (options.commands.empty()) {
        status = runInteractive(session);
    } else {
        for (const Invocation& invocation : invocations) {
            invocation.command->run(session, Args(invocation.args));
        }
    }
    session.close();
    if (status == EXIT_OK && session.problems() > 0) {
        status = EXIT_PROBLEMS;
    }
    fflush(answers);
    fflush(stdout);
    if (!session.diagnosticsLog().empty()) {
        fprintf(stderr, "sensorctl: the module's diagnostics are in %s (-v shows them here)\n",
                session.diagnosticsLog().c_str());
    }
    return status;
}
