// A day at a glance: which scheme the module puts in force at each quarter
// hour of a day. The module decides it itself: a scratch copy of the camera
// disk is run by sensorctl with the windows and the night asked for, and the
// sensor thread ticks once per quarter hour against the fake clock.
#ifndef TOOLS_SENSORCTL_CONSOLE_DAYSTRIP_H
#define TOOLS_SENSORCTL_CONSOLE_DAYSTRIP_H

#include <stdint.h>

#include <array>
#include <string>
#include <vector>

enum { DAY_SLOTS = 96, SLOT_MINUTES = 15 };

// The keys of a scheme's time window, in the order of DayQuestion::windows.
extern const uint32_t kWindowKeys[4];

// "HH:MM" of a minute of the day.
std::string clockText(int minute);

struct DayQuestion {
    bool byDayNight = false;  // false: by the schemes' time windows
    int nightFrom = 18 * 60;  // minutes of the day: night [nightFrom, nightTo), across midnight
    int nightTo = 6 * 60;     //   when nightTo <= nightFrom (day/night mode)
    int dayNightState = 0;    // the sensor's state while the schedule runs
    // Each user scheme's window: start hour, start minute, end hour, end minute.
    std::vector<std::array<uint32_t, 4>> windows;
};

// How to run the scratch copy: the sensorctl program (with its emulator, if
// any), the disk to copy, and the session's camera and profile.
struct DayRun {
    std::vector<std::string> program;
    std::string root;
    int camera = 1;
    std::string profile;
};

// The commands the scratch run is given, one per line.
std::string dayCommands(const DayQuestion& question);
// Whether the minute of the day is in the night of the question.
bool isNight(const DayQuestion& question, int minute);

// The scheme in force at each quarter hour from 00:00; false with a message.
bool computeDay(const DayRun& run, const DayQuestion& question, std::vector<int>& slots,
                std::string& error);

// The strip drawn as SVG: one bar per quarter hour, coloured by scheme, with
// the hours marked.
std::string daySvg(const std::vector<int>& slots);

#endif
