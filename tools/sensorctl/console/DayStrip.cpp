#include "DayStrip.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "CameraRoot.h"
#include "sensor/SensorKeys.h"
#include "tools/sample/SampleCamera.h"

extern char** environ;

namespace {

// The scratch run answers within this, or is stopped.
const int kRunBoundMs = 60 * 1000;

std::string scratchName(const std::string& root) {
    static std::atomic<unsigned> counter(0);
    return root + ".day." + std::to_string(getpid()) + "." + std::to_string(++counter);
}

std::vector<std::string> runArguments(const DayRun& run, const std::string& scratch) {
    std::vector<std::string> args = run.program;
    for (const char* word : {"--root", scratch.c_str(), "--wait-scale", "0", "--camera"}) {
        args.push_back(word);
    }
    args.push_back(std::to_string(run.camera));
    if (!run.profile.empty()) {
        args.push_back("--profile");
        args.push_back(run.profile);
    }
    return args;
}

// Runs the program with stdin, stdout and stderr on files of the scratch
// disk; false when it could not start, timed out or failed.
bool runScratch(const std::vector<std::string>& args, const std::string& scratch,
                std::string& error) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, (scratch + "/day-commands").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, (scratch + "/day-answers").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, (scratch + "/day-errors").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int started = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (started != 0) {
        error = "cannot run " + args[0];
        return false;
    }
    int status = 0;
    int waited = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (waited >= kRunBoundMs) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            error = "the scratch run did not finish";
            return false;
        }
        usleep(5000);
        waited += 5;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "the scratch run failed";
        return false;
    }
    return true;
}

// The scheme of each "getParamScheme" answer: every command answers one line,
// the last of each slot's four is the scheme.
bool readSlots(const std::string& answers, size_t prefix, std::vector<int>& slots,
               std::string& error) {
    std::istringstream in(answers);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    const size_t perSlot = 4;
    if (lines.size() != prefix + perSlot * DAY_SLOTS) {
        error = "the scratch run answered " + std::to_string(lines.size()) + " lines, not " +
                std::to_string(prefix + perSlot * DAY_SLOTS);
        return false;
    }
    slots.clear();
    for (size_t slot = 0; slot < DAY_SLOTS; ++slot) {
        const std::string& line = lines[prefix + perSlot * slot + perSlot - 1];
        int scheme = -1;
        if (sscanf(line.c_str(), "true %d", &scheme) != 1) {
            error = "the scratch run could not tell the scheme at " +
                    clockText(static_cast<int>(slot) * SLOT_MINUTES) + ": " + line;
            return false;
        }
        slots.push_back(scheme);
    }
    return true;
}

size_t prefixLines(const DayQuestion& question) {
    return 3 + 4 * question.windows.size();
}

}  // namespace

const uint32_t kWindowKeys[4] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR,
                                 KEY_SCHEME_END_MIN};

std::string clockText(int minute) {
    char text[8];
    snprintf(text, sizeof(text), "%02d:%02d", (minute / 60) % 24, minute % 60);
    return text;
}

bool isNight(const DayQuestion& q, int minute) {
    if (q.nightFrom == q.nightTo) {
        return false;
    }
    if (q.nightFrom < q.nightTo) {
        return q.nightFrom <= minute && minute < q.nightTo;
    }
    return minute >= q.nightFrom || minute < q.nightTo;
}

std::string dayCommands(const DayQuestion& q) {
    std::string text = "setParamScheme 0\n";
    for (size_t s = 0; s < q.windows.size(); ++s) {
        for (size_t k = 0; k < 4; ++k) {
            text += "setKeyValToCache " + std::to_string(s) + " " + std::to_string(kWindowKeys[k]) +
                    " " + std::to_string(q.windows[s][k]) + " 1\n";
        }
    }
    text += "sim-dn " + std::to_string(q.dayNightState) + "\n";
    text += "setParameters (" + std::to_string(KEY_SCHEME_MODE) + "," +
            std::string(q.byDayNight ? "2" : "1") + ") 1\n";
    for (int slot = 0; slot < DAY_SLOTS; ++slot) {
        int minute = slot * SLOT_MINUTES;
        int state = q.byDayNight ? (isNight(q, minute) ? 1 : 0) : q.dayNightState;
        text += "sim-clock " + clockText(minute) + "\nsim-dn " + std::to_string(state) +
                "\ntick\ngetParamScheme\n";
    }
    return text;
}

bool computeDay(const DayRun& run, const DayQuestion& question, std::vector<int>& slots,
                std::string& error) {
    if (run.program.empty()) {
        error = "no sensorctl to run";
        return false;
    }
    removeDeadScratch(run.root, ".day.");
    std::string scratch = scratchName(run.root);
    bool ok = copyTree(run.root, scratch);
    if (!ok) {
        error = "cannot copy the camera disk to " + scratch;
    }
    ok = ok && writeHostFile(scratch + "/day-commands", dayCommands(question)) &&
         runScratch(runArguments(run, scratch), scratch, error);
    std::string answers;
    ok = ok && readHostFile(scratch + "/day-answers", answers) &&
         readSlots(answers, prefixLines(question), slots, error);
    removeHostTree(scratch);
    if (!ok && error.empty()) {
        error = "cannot run the scratch copy in " + scratch;
    }
    return ok;
}

std::string daySvg(const std::vector<int>& slots) {
    static const char* const kColours[] = {"#4e79a7", "#f28e2b", "#59a14f", "#b07aa1",
                                           "#76b7b2", "#edc948", "#e15759", "#9c755f"};
    const int width = 4;
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"-12 0 " << width * DAY_SLOTS + 24
        << " 40\" width=\"" << (width * DAY_SLOTS + 24) * 2
        << "\" height=\"80\" role=\"img\" shape-rendering=\"crispEdges\">";
    for (size_t i = 0; i < slots.size(); ++i) {
        int scheme = slots[i];
        const char* colour = scheme >= 0 ? kColours[scheme % 8] : "#cccccc";
        svg << "<rect class=\"slot\" data-scheme=\"" << scheme << "\" x=\"" << i * width
            << "\" y=\"0\" width=\"" << width << "\" height=\"24\" fill=\"" << colour
            << "\"><title>" << clockText(static_cast<int>(i) * SLOT_MINUTES) << " scheme " << scheme
            << "</title></rect>";
    }
    for (int hour = 0; hour <= 24; hour += 3) {
        int x = hour * 4 * width;
        svg << "<line x1=\"" << x << "\" y1=\"24\" x2=\"" << x
            << "\" y2=\"28\" stroke=\"#333\" stroke-width=\"0.5\"/><text x=\"" << x
            << "\" y=\"36\" font-size=\"6\" text-anchor=\"middle\">" << hour << ":00</text>";
    }
    svg << "</svg>";
    return svg.str();
}
