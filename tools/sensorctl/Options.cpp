#include "Options.h"

#include <string.h>

#include "CommandLine.h"
#include "ListenAddress.h"

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
    "  --wait-scale PCT   run every wait at PCT percent of its time (default 1, so\n"
    "                     that commands answer at once; 100 for serve: real time)\n"
    "  -v, --verbose      the module's diagnostics on standard error (by default\n"
    "                     they go to sensorctl.log in the root)\n"
    "  -h, --help         this help and the list of commands\n"
    "With no command, commands are read from standard input, one per line.\n"
    "sensorctl serve [--listen ADDR:PORT] runs the settings console, a web page on\n"
    "ADDR:PORT (default 127.0.0.1:8080; port 0 picks a free one).\n"
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

bool isFlag(const std::string& option, Options& options) {
    if (option == "--help" || option == "-h") {
        options.help = true;
    } else if (option == "--reseed") {
        options.reseed = true;
    } else if (option == "--verbose" || option == "-v") {
        options.verbose = true;
    } else {
        return false;
    }
    return true;
}

bool isOption(const char* word) {
    return strncmp(word, "--", 2) == 0 || strcmp(word, "-v") == 0 || strcmp(word, "-h") == 0;
}

// The words after `serve`: only --listen ADDR:PORT (or --listen=ADDR:PORT).
bool parseServeOptions(const std::vector<std::string>& words, Options& options,
                       std::string& error) {
    for (size_t i = 1; i < words.size(); ++i) {
        std::string word = words[i];
        if (word.compare(0, 9, "--listen=") == 0) {
            options.listen = word.substr(9);
        } else if (word == "--listen") {
            options.listen = i + 1 < words.size() ? words[++i] : "";
        } else {
            error = "serve: unexpected '" + word + "' (usage: serve [--listen ADDR:PORT])";
            return false;
        }
        ListenAddress address;
        if (options.listen.empty()) {
            error = "serve: --listen: missing ADDR:PORT";
            return false;
        }
        if (!parseListenAddress(options.listen, address, error)) {
            error = "serve: " + error;
            return false;
        }
    }
    options.serve = true;
    options.commands.clear();
    return true;
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    static const char* const kValued[] = {"--root",    "--family", "--camera",
                                          "--profile", "--debug",  "--wait-scale"};
    int i = 1;
    for (; i < argc && isOption(argv[i]); ++i) {
        std::string option = argv[i];
        if (option == "--") {
            ++i;
            break;
        }
        if (isFlag(option, options)) {
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
    if (!options.commands.empty() && options.commands[0] == "serve") {
        return parseServeOptions(options.commands, options, error);
    }
    return true;
}

int effectiveWaitScale(const Options& options) {
    if (options.waitScale >= 0) {
        return options.waitScale;
    }
    return options.serve ? 100 : 1;
}
