// One line of text for each thing the simulated camera logs: a processor
// call, a notification of the video module.
#ifndef TOOLS_SENSORCTL_LOGLINES_H
#define TOOLS_SENSORCTL_LOGLINES_H

#include <string>

#include "platform/host/RecordingVideoModule.h"
#include "platform/ia_sim.h"

// "ch0 34 set in=65 out=": channel, command, option, the words in and out.
std::string callLine(const iasim::Call& call);
// "channel 1 key 34 value 65".
std::string notificationLine(const RecordingVideoModule::Notification& notification);

#endif
