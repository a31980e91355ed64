// The options of sensorctl.
#ifndef TOOLS_SENSORCTL_OPTIONS_H
#define TOOLS_SENSORCTL_OPTIONS_H

#include <string>
#include <vector>

struct Options {
    std::string root = "./sensor-root";
    std::string family;  // empty: the family the root was seeded with, else box
    int camera = 1;
    std::string profile;  // empty: the family's sample profile
    std::string debug;    // empty: leave the sign file as it is; "off" removes it
    // Percent of every wait of the module and of `wait`; unset (-1): real time
    // for `serve`, 1 for every other run, so that one-shot runs answer at once.
    int waitScale = -1;
    bool reseed = false;   // replace the root with a fresh sample disk
    bool verbose = false;  // the module's diagnostics on standard error, not in the log
    bool help = false;
    bool serve = false;                 // `serve`: the settings console instead of commands
    std::string listen;                 // its ADDR:PORT; empty: the loopback default
    std::vector<std::string> commands;  // the words after the options
};

// Reads the options; false with a one-line message on a usage error.
// `serve` takes its own option after it: sensorctl serve [--listen ADDR:PORT].
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// The wait scale of the run: the one asked for, else its default.
int effectiveWaitScale(const Options& options);

extern const char* const kOptionsHelp;

#endif
