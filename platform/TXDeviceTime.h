// The device's clock.
#ifndef PLATFORM_TXDEVICETIME_H
#define PLATFORM_TXDEVICETIME_H

#include <time.h>

class TXDeviceTime {
  public:
    // The local calendar time (tm_hour and tm_min are what callers read).
    static struct tm getCurrentTime();
};

#endif
