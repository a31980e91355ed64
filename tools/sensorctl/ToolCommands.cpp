// The tool's own commands: listing and checking the camera's settings,
// decoding its files, and setting the stage of the simulated sensor.
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "CameraRoot.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Compliance.h"
#include "DiskCheck.h"
#include "KeyNames.h"
#include "LogLines.h"
#include "Session.h"
#include "StyleView.h"
#include "platform/CameraPaths.h"
#include "platform/FsRoot.h"
#include "platform/HostSeams.h"
#include "platform/TalvexTime.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "sensor/SensorKeyVal.h"

namespace {

const u32 kListCapacity = 1024;  // more than any set holds

std::string padded(std::string text, size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

void listCurrentSet(Session& s, const Args&) {
    ISensorController& c = s.controller();
    std::vector<StyleSetting> settings;
    std::string error;
    readStyleSettings(c.getUIStyleFile(), settings, error);
    std::map<std::string, const StyleSetting*> byId;
    for (const StyleSetting& setting : settings) {
        byId.emplace(setting.id, &setting);
    }
    std::string pairs;
    c.getAllParameters(pairs);
    std::vector<KeyVal> set(kListCapacity);
    u32 count = 0;
    keyval_str2st_bounded(pairs, set.data(), &count, kListCapacity);
    std::string text;
    for (u32 i = 0; i < count; ++i) {
        const KeyVal& pair = set[i];
        auto found = byId.find(std::to_string(pair.key));
        text += padded(std::to_string(pair.key), 6) + padded(keyName(pair.key), 34) +
                padded(std::to_string(pair.value), 8) +
                (found == byId.end() ? "-" : offersOf(*found->second)) + "\n";
    }
    s.answer(text.empty() ? "no current set" : text);
}

void dumpFile(Session& s, const Args& a) {
    // A bare name is in the configuration directory; a path is the camera's
    // (under the root) when the root has it, else a file of this machine.
    std::string name = a.text(0);
    std::string cameraPath =
        name.find('/') == std::string::npos ? platform::kConfigDir + name : name;
    std::string bytes;
    if (!readHostFile(platform::resolvePath(cameraPath), bytes) &&
        (cameraPath != name || !readHostFile(name, bytes))) {
        s.answer("false cannot read " + cameraPath);
        return;
    }
    if (bytes.size() == sizeof(uint32_t)) {
        uint32_t version = 0;
        memcpy(&version, bytes.data(), sizeof(version));
        s.answer("version " + std::to_string(version));
        return;
    }
    std::string text;
    for (size_t at = 0; at + sizeof(KeyVal) <= bytes.size(); at += sizeof(KeyVal)) {
        KeyVal pair;
        memcpy(&pair, bytes.data() + at, sizeof(pair));
        text += padded(std::to_string(pair.key), 6) + padded(keyName(pair.key), 34) +
                std::to_string(pair.value) + "\n";
    }
    if (bytes.size() % sizeof(KeyVal) != 0) {
        text += "trailing " + std::to_string(bytes.size() % sizeof(KeyVal)) + " bytes\n";
    }
    s.answer(text.empty() ? "empty" : text);
}

void processorLog(Session& s, const Args&) {
    std::string text;
    for (const iasim::Call& call : iasim::calls()) {
        text += callLine(call) + "\n";
    }
    s.answer(text.empty() ? "none" : text);
}

void videoLog(Session& s, const Args&) {
    std::string text;
    for (const RecordingVideoModule::Notification& n : s.video().notifications()) {
        text += notificationLine(n) + "\n";
    }
    s.answer(text.empty() ? "none" : text);
}

// The facts of the disk as the module holds them: its set (the current
// scheme's keys in order) and the schemes its configuration asks for.
DiskFacts diskFacts(Session& s) {
    DiskFacts facts;
    std::string all;
    s.controller().getAllParameters(all);
    facts.set.resize(FACTORY_KEYVAL_CAPACITY);
    u32 count = 0;
    keyval_str2st_bounded(all, facts.set.data(), &count, FACTORY_KEYVAL_CAPACITY);
    facts.set.resize(count);
    facts.nSchemeSum = s.schemeCount();
    facts.nCameraId = s.channel() + 1;
    return facts;
}

void checkCamera(Session& s, const Args&) {
    std::vector<std::string> problems = checkTailoredStyle(s.controller().getUIStyleFile());
    for (const std::string& problem : checkCameraDisk(diskFacts(s))) {
        problems.push_back(problem);
    }
    std::string text;
    for (const std::string& problem : problems) {
        text += problem + "\n";
    }
    text += "check: " + std::to_string(problems.size()) + " problem" +
            (problems.size() == 1 ? "" : "s");
    s.countProblems(static_cast<int>(problems.size()));
    s.answer(text);
}

void help(Session& s, const Args&) {
    std::string text;
    for (const Command& command : commands()) {
        std::string usage = command.name + (command.params.empty() ? "" : " " + command.params);
        text += "  " + padded(usage, 36) + command.help + "\n";
    }
    s.answer(text);
}

void waitSeconds(Session& s, const Args& a) {
    const double kLongest = 86400.0;  // a day: enough for any scripted wait
    double seconds = a.seconds(0) < kLongest ? a.seconds(0) : kLongest;
    long whole = static_cast<long>(seconds);
    wait(TalvexTime(whole, static_cast<long>((seconds - whole) * 1e6)));
    s.answer("ok");
}

}  // namespace

void addToolCommands(CommandTable& t) {
    t.push_back({"list", "", "every record of the current scheme: key, name, value, offers",
                 listCurrentSet});
    t.push_back({"dump", "FILE",
                 "decode a parameter or version file: a name in the config directory, a camera "
                 "path or a file",
                 dumpFile});
    t.push_back({"tick", "", "one sensor-thread tick on this thread", [](Session& s, const Args&) {
                     s.answer(std::to_string(s.controller().sensorThread()));
                 }});
    t.push_back({"wait", "SECONDS", "let the sensor thread run (scaled like the module's waits)",
                 waitSeconds});
    t.push_back({"sim-dn", "STATE", "the sensor reports day (0) or night (1)",
                 [](Session& s, const Args& a) {
                     iasim::setDayNightState(s.channel(), a.number(0));
                     s.answer("ok");
                 }});
    t.push_back(
        {"sim-clock", "HH:MM", "the camera's clock reads HH:MM", [](Session& s, const Args& a) {
             int hour = 0;
             int minute = 0;
             parseClock(a.text(0), hour, minute);
             platform::setFakeClock(hour, minute);
             s.answer("ok");
         }});
    t.push_back(
        {"sim-value", "CMD VALUE", "a read of CMD answers VALUE", [](Session& s, const Args& a) {
             iasim::setValue(s.channel(), static_cast<uint32_t>(a.number(0)), a.number(1));
             s.answer("ok");
         }});
    t.push_back({"sim-fail", "CMD RESULT", "every call of CMD returns RESULT (0 heals)",
                 [](Session& s, const Args& a) {
                     iasim::failCommand(s.channel(), static_cast<uint32_t>(a.number(0)),
                                        a.number(1));
                     s.answer("ok");
                 }});
    t.push_back({"sim-log", "", "the processor calls of this run, one per line", processorLog});
    t.push_back({"video-log", "", "the notifications the video module received", videoLog});
    t.push_back({"check", "", "compliance check of the camera data", checkCamera});
    t.push_back({"help", "", "this list", help});
}
