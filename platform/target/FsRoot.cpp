// On the camera every path is the real one.
#include "platform/FsRoot.h"

namespace platform {

std::string resolvePath(const std::string& cameraPath) { return cameraPath; }
std::string shellPath(const std::string& cameraPattern) { return cameraPattern; }

}  // namespace platform
