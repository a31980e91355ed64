// One word for /bin/sh, whatever it holds: for the commands the host build,
// its tests and tools hand to the shell.
#ifndef PLATFORM_SHELLQUOTE_H
#define PLATFORM_SHELLQUOTE_H

#include <string>

namespace platform {

// word in single quotes, every quote in it closed, escaped and reopened
// ("it's" becomes 'it'\''s'), so the shell reads it back unchanged.
inline std::string shellQuoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace platform

#endif
