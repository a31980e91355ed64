// The off-target seams: file-system root, fake clock and wait scale.
#include "platform/HostSeams.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>

#include "platform/FsRoot.h"
#include "platform/ShellQuote.h"
#include "platform/TXDeviceTime.h"
#include "platform/TalvexTime.h"

namespace {

std::mutex g_seamMutex;
bool g_bRootSet = false;
std::string g_strRoot;

std::atomic<bool> g_bFakeClock(false);
std::atomic<int> g_nFakeMinutes(0);
std::atomic<int> g_nWaitPercent(100);

std::string withoutTrailingSlash(std::string root) {
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    return root == "/" ? std::string() : root;
}

// Reads SENSOR_ROOT once, on first use; the caller holds g_seamMutex.
void settleRootLocked() {
    if (!g_bRootSet) {
        const char* env = getenv("SENSOR_ROOT");
        g_strRoot = withoutTrailingSlash(env ? env : "");
        g_bRootSet = true;
    }
}

std::string currentRoot() {
    std::lock_guard<std::mutex> guard(g_seamMutex);
    settleRootLocked();
    return g_strRoot;
}

}  // namespace

namespace platform {

void setFsRoot(const std::string& root) {
    std::lock_guard<std::mutex> guard(g_seamMutex);
    g_strRoot = withoutTrailingSlash(root);
    g_bRootSet = true;
}

std::string fsRoot() {
    return withoutTrailingSlash(currentRoot());
}

std::string resolvePath(const std::string& cameraPath) {
    std::string root = fsRoot();
    if (root.empty() || cameraPath.empty() || cameraPath[0] != '/') {
        return cameraPath;
    }
    return root + cameraPath;
}

bool resolvePath(const char* cameraPath, char* out, size_t size) {
    if (!cameraPath || !out || size == 0) {
        return false;
    }
    std::lock_guard<std::mutex> guard(g_seamMutex);
    settleRootLocked();
    const char* root = cameraPath[0] == '/' ? g_strRoot.c_str() : "";
    int length = snprintf(out, size, "%s%s", root, cameraPath);
    return length >= 0 && static_cast<size_t>(length) < size;
}

std::string shellPath(const std::string& cameraPattern) {
    std::string root = fsRoot();
    if (root.empty() || cameraPattern.empty() || cameraPattern[0] != '/') {
        return cameraPattern;
    }
    return shellQuoted(root) + cameraPattern;
}

void setFakeClock(int hour, int minute) {
    g_nFakeMinutes = hour * 60 + minute;
    g_bFakeClock = true;
}

void clearFakeClock() {
    g_bFakeClock = false;
}

void setWaitScale(int percent) {
    g_nWaitPercent = percent < 0 ? 0 : percent;
}

}  // namespace platform

struct tm TXDeviceTime::getCurrentTime() {
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    if (g_bFakeClock) {
        int minutes = g_nFakeMinutes;
        local.tm_hour = minutes / 60;
        local.tm_min = minutes % 60;
        local.tm_sec = 0;
    }
    return local;
}

void wait(TalvexTime duration) {
    long long micros = duration.totalMicroseconds() * g_nWaitPercent / 100;
    if (micros <= 0) {
        return;
    }
    struct timespec ts;
    ts.tv_sec = micros / 1000000;
    ts.tv_nsec = (micros % 1000000) * 1000;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}
