// File helpers shared by the host stand-ins.
#ifndef PLATFORM_HOST_HOSTFILES_H
#define PLATFORM_HOST_HOSTFILES_H

#include <string>

namespace platform {

// Creates the missing directories above a (resolved) file path.
bool makeParentDirectories(const std::string& filePath);
// The directory part of a path ("." when it has none).
std::string directoryOf(const std::string& filePath);

}  // namespace platform

#endif
