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
    int waitScale = 100;  // percent of every wait of the module and of `wait`
    bool reseed = false;  // replace the root with a fresh sample disk
    bool help = false;
    std::vector<std::string> commands;  // the words after the options
};

// Reads the options; false with a one-line message on a usage error.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

extern const char* const kOptionsHelp;

#endif
