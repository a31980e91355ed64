// Seams of the off-target build: where the module's absolute paths land, the
// clock it reads and how long its waits last. Tests and tools set them.
#ifndef PLATFORM_HOSTSEAMS_H
#define PLATFORM_HOSTSEAMS_H

#include <string>

namespace platform {

// Every absolute path the module uses is resolved under this root. The
// default is SENSOR_ROOT from the environment, read at first use, else the
// real paths (empty root).
void setFsRoot(const std::string& root);
std::string fsRoot();

// The time of day TXDeviceTime answers until clearFakeClock().
void setFakeClock(int hour, int minute);
void clearFakeClock();

// wait(TalvexTime) sleeps the given time multiplied by percent / 100.
void setWaitScale(int percent);

}  // namespace platform

#endif
