// A check of what the camera keeps on its disk for the module: the saved
// parameter files against the set the module holds, the version file, the
// machine information and the module configuration. One line per problem.
#ifndef TOOLS_SENSORCTL_DISKCHECK_H
#define TOOLS_SENSORCTL_DISKCHECK_H

#include <string>
#include <vector>

#include "sensor/SensorKeyVal.h"

struct DiskFacts {
    std::vector<KeyVal> set;  // the keys the module holds, in its order
    u32 nSchemeSum;           // schemes of the module configuration
    int nCameraId;            // camera 2 keeps thermal scheme files
};

std::vector<std::string> checkCameraDisk(const DiskFacts& facts);

#endif
