#include "Options.h"

#include <string.h>

#include "CommandLine.h"

const char* const kOptionsHelp =
    "usage: sensorctl [options] [command [args...]]...\n"
    "  --root DIR         camera disk to work on (default ./sensor-root; created and\n"
    "                     seeded from the sample data when it does not exist or is\n"
    "                     an empty directory)\n"
    "  --family NAME      box, dome or thermal: the sample camera a new root gets; a\n"
    "                     root seeded with another family is refused\n"
    "  --reseed           replace the root with a fresh sample disk of --family (by\n"
    "                     default the family it holds), dropping its changes\n"
    "  --camera N         camera (channel) number, counted from 1 (default 1)\n"
    "  --profile FILE     simulated sensor profile (default: the family's sample)\n"
    "  --debug LEVEL      write the debug sign file with LEVEL; 'off' removes it\n"
    "  --wait-scale PCT   run every wait at PCT percent of its time (default 100)\n"
    "With no command, commands are read from standard input, one per line.\n"
    "'sensorctl help' lists the commands.\n";

namespace {

bool isFamily(const std::string& name) {
    return name == "box" || name == "dome" || name == "thermal";
}

bool takeValue(const std::string& option, const std::string& value, Options& options,
               std::string& error) {
    if (option == "--root") {
        options.root = value;
    } else if (option == "--family") {
        options.family = value;
        if (!isFamily(value)) {
            error = "--family: expected box, dome or thermal, got '" + value + "'";
        }
    } else if (option == "--camera") {
        if (!parseInt(value, options.camera) || options.camera < 1 || options.camera > 16) {
            error = "--camera: expected a camera number from 1 to 16, got '" + value + "'";
        }
    } else if (option == "--profile") {
        options.profile = value;
    } else if (option == "--debug") {
        int level = 0;
        options.debug = value;
        if (value != "off" && !parseInt(value, level)) {
            error = "--debug: expected a level or 'off', got '" + value + "'";
        }
    } else {
        if (!parseInt(value, options.waitScale) || options.waitScale < 0) {
            error = "--wait-scale: expected a percentage, got '" + value + "'";
        }
    }
    return error.empty() && !value.empty();
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    static const char* const kValued[] = {"--root",    "--family", "--camera",
                                          "--profile", "--debug",  "--wait-scale"};
    int i = 1;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
        std::string option = argv[i];
        if (option == "--") {
            ++i;
            break;
        }
        if (option == "--help") {
            options.help = true;
            continue;
        }
        if (option == "--reseed") {
            options.reseed = true;
            continue;
        }
        std::string value;
        size_t equals = option.find('=');
        if (equals != std::string::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        bool known = false;
        for (const char* name : kValued) {
            known = known || option == name;
        }
        if (!known) {
            error = "unknown option '" + option + "'";
            return false;
        }
        if (!takeValue(option, value, options, error)) {
            if (error.empty()) {
                error = option + ": missing value";
            }
            return false;
        }
    }
    options.commands.assign(argv + i, argv + argc);
    return true;
}
