// A simulated sensor's profile: the text file that tells the simulated
// processor what the fitted sensor offers.
//
//   version TEXT                   the camera-version answer
//   day-night 0|1                  the day/night state (1: night)
//   range CMD TYPE DEFAULT V...    a sensor-dependent command, its default and
//                                  accepted values (listed as dynamic, in order)
//   value CMD V                    what a plain read of CMD answers
//
// Blank lines and lines starting with '#' are ignored.
#ifndef TOOLS_SENSORCTL_SIMPROFILE_H
#define TOOLS_SENSORCTL_SIMPROFILE_H

#include <string>

// Hands the profile to the simulated processor's channel; false with
// "line N: ..." in error when a line does not read.
bool applyProfile(const std::string& text, int channel, std::string& error);

#endif
