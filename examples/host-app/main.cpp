// A camera's main application in miniature: one image-sensor controller per
// channel, the firmware's video module, a brightness change saved and read
// back by a second start, and a day/night change switching the scheme of a
// channel in day/night mode.
//
// It is built against the installed module only. On a PC the module runs on
// the simulated image-signal processor and finds the camera's disk under the
// directory that SENSOR_ROOT names (sensorctl --root DIR check seeds one from
// the sample box camera); the simulated sensor is told that night has come.
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/CameraPaths.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "platform/VideoStreamModule.h"
#include "platform/ia_sim.h"
#include "sensor/ISensorController.h"

namespace {

const int kChannels = 2;

// The firmware's video module: two streams per channel, and what it hears of
// the sensor.
class VideoModule : public VideoStreamModule {
  public:
    int getStreamParams(std::vector<AVStreamParam>& streams) const override {
        AVStreamParam main;  // 1080p at 25 fps
        AVStreamParam sub;
        sub.setVideoHeight(576);
        streams = {main, sub};
        return 0;
    }
    int notifySensorChange(int channel, int key, int value) const override {
        printf("video module: channel %d, key %d is now %d\n", channel, key, value);
        return 0;
    }
};

// This module's entry of the firmware's module configuration for a channel:
// the entry with the channel's id, else the first one.
ModuleConfigure moduleFor(int channel) {
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo(platform::kMachineInfoFile, machine);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse(platform::kModuleConfigFile, machine.getHardwareModel(),
                                 machine.getHardwareCode(), modules);
    for (const ModuleConfigure& module : modules) {
        if (module.getModuleId() == channel) {
            return module;
        }
    }
    return modules.empty() ? ModuleConfigure() : modules.front();
}

std::unique_ptr<ISensorController> startChannel(int channel, const VideoModule& video) {
    std::unique_ptr<ISensorController> controller(new ISensorController());
    controller->setChannelID(channel);
    controller->setVideoStreamModule(&video);
    controller->init(moduleFor(channel));
    return controller;
}

void stopChannel(std::unique_ptr<ISensorController>& controller) {
    controller->uinit();
    controller.reset();
}

bool check(bool ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    return ok;
}

// The sensor thread looks at the day/night state about once a second.
int schemeAfterNight(ISensorController& controller, int channel) {
    iasim::setDayNightState(channel - 1, 1);
    int scheme = -1;
    for (int waited = 0; waited < 50; ++waited) {
        controller.getParamScheme(scheme);
        if (scheme == 1) {
            break;
        }
        struct timespec step = {0, 100 * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
    return scheme;
}

}  // namespace

int main() {
    if (!getenv("SENSOR_ROOT")) {
        fprintf(stderr,
                "host-app: set SENSOR_ROOT to a camera disk (seed one with "
                "sensorctl --root DIR check)\n");
        return 2;
    }
    VideoModule video;
    std::unique_ptr<ISensorController> channels[kChannels];
    for (int i = 0; i < kChannels; ++i) {
        channels[i] = startChannel(i + 1, video);
    }
    bool ok = check(channels[0]->getSensorStatus() && channels[1]->getSensorStatus(),
                    "both channels started");

    // Channel 1: a brightness change, recorded in the scheme and saved.
    ok &= check(channels[0]->setParameter(KEY_BRIGHTNESS, 66, true) == 0, "brightness set to 66");
    ok &= check(channels[0]->flush() == 0, "channel 1 saved");
    stopChannel(channels[0]);
    channels[0] = startChannel(1, video);
    int brightness = -1;
    channels[0]->getParameter(KEY_BRIGHTNESS, brightness);
    printf("channel 1 after a new start: brightness %d\n", brightness);
    ok &= check(brightness == 66, "the saved brightness is back after a new start");

    // Channel 2: schemes follow day and night; night brings scheme 1.
    ok &= check(channels[1]->setParameter(KEY_SCHEME_MODE, 2, true) == 0,
                "channel 2 switches schemes by day and night");
    int scheme = schemeAfterNight(*channels[1], 2);
    printf("channel 2 at night: scheme %d\n", scheme);
    ok &= check(scheme == 1, "night puts scheme 1 in force on channel 2");

    for (std::unique_ptr<ISensorController>& controller : channels) {
        stopChannel(controller);
    }
    return ok ? 0 : 1;
}
