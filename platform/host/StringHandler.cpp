#include "platform/StringHandler.h"

void StringHandler::split(const std::string& text, std::vector<std::string>& pieces,
                          const std::string& separator) {
    if (separator.empty()) {
        pieces.push_back(text);
        return;
    }
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type at = text.find(separator, start);
        if (at == std::string::npos) {
            pieces.push_back(text.substr(start));
            return;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}
