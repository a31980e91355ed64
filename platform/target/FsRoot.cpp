// On the camera every path is the real one.
#include "platform/FsRoot.h"

#include <stdio.h>

namespace platform {

std::string resolvePath(const std::string& cameraPath) {
    return cameraPath;
}
bool resolvePath(const char* cameraPath, char* out, size_t size) {
    if (!cameraPath || !out || size == 0) {
        return false;
    }
    int length = snprintf(out, size, "%s", cameraPath);
    return length >= 0 && static_cast<size_t>(length) < size;
}

std::string shellPath(const std::string& cameraPattern) {
    return cameraPattern;
}

}  // namespace platform
