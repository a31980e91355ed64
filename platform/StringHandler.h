// Text helpers of the base library.
#ifndef PLATFORM_STRINGHANDLER_H
#define PLATFORM_STRINGHANDLER_H

#include <sstream>
#include <string>
#include <vector>

class StringHandler {
  public:
    // Appends the pieces of text between every occurrence of separator,
    // empty pieces included: "a,,b" gives "a", "", "b"; "" gives one "".
    static void split(const std::string& text, std::vector<std::string>& pieces,
                      const std::string& separator);

    // Reads one T from text with the stream's ordinary extraction; a text that
    // does not start with a T leaves target as the stream leaves it.
    template <class T>
    static void str2type(const std::string& text, T& target) {
        std::stringstream stream(text, std::ios::in | std::ios::out);
        stream >> target;
    }
};

#endif
