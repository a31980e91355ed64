// What the files of SensorFile's implementation share. SensorFile is one
// source of free functions spread over one file per concern:
//   SensorFileDetail.cpp        the module's detail text
//   SensorFileStyleMerge.cpp    the style merged with its diversity rules
//   SensorFileDynamicStyle.cpp  the style tailored to the sensor; the factory set
//   SensorFile.cpp              whole files, parameter files, the version file
#ifndef SENSOR_SENSORFILEPRIVATE_H
#define SENSOR_SENSORFILEPRIVATE_H

#include "sensor/SensorFile.h"
#include "support/SensorDebug.h"

// Operators find these reports under SensorFile's own source name, whichever
// file of it reports.
#undef SNS_REPORT_FILE
#define SNS_REPORT_FILE "SensorFile.cpp"

#endif
