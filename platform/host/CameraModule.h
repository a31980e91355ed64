// How the camera's main application picks a channel's module configuration:
// the entries of moduleConfig.xml for this machine, the one with the camera's id.
#ifndef PLATFORM_HOST_CAMERAMODULE_H
#define PLATFORM_HOST_CAMERAMODULE_H

#include "platform/ModuleConfigure.h"

namespace platform {

// The entry whose id is camera, else the first entry, else an empty one.
ModuleConfigure cameraModuleConfigure(int camera);

}  // namespace platform

#endif
