// How the module names its files: an absolute path of the camera, placed
// under the file-system root (empty on the camera, a sandbox off it).
#ifndef PLATFORM_FSROOT_H
#define PLATFORM_FSROOT_H

#include <stddef.h>

#include <string>

namespace platform {

// The path under the root, for opening, testing and creating files.
std::string resolvePath(const std::string& cameraPath);
// The same into a caller's buffer, without allocating (for paths tested on
// every report); false when it does not fit.
bool resolvePath(const char* cameraPath, char* out, size_t size);
// The same for a shell command: the root quoted for the shell, the camera
// path appended as it stands so that its wildcards still expand.
std::string shellPath(const std::string& cameraPattern);

}  // namespace platform

#endif
