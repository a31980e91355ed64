#include "platform/host/HostFiles.h"

#include <errno.h>
#include <sys/stat.h>

namespace platform {

std::string directoryOf(const std::string& filePath) {
    std::string::size_type slash = filePath.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : filePath.substr(0, slash);
}

bool makeParentDirectories(const std::string& filePath) {
    std::string dir = directoryOf(filePath);
    for (std::string::size_type at = 1; at <= dir.size(); ++at) {
        if (at == dir.size() || dir[at] == '/') {
            std::string part = dir.substr(0, at);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace platform
