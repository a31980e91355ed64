// Failures and stops of file operations, set by tests to play a full disk, a
// failing flash or a power cut at a chosen byte.
#include "platform/host/FileFaults.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

struct FileFault {
    platform::FileOperation op;
    std::string pathPart;
    long bytes;  // failure: the offset up to which a transfer goes; stop: where it stops
    bool stop;
    bool fired;  // a stop stops once
};

std::mutex g_faultMutex;
std::vector<FileFault> g_faults;
std::atomic<bool> g_bArmed(false);
std::atomic<bool> g_bDurable(true);

std::string hostPathOf(FILE* file) {
    char link[64];
    char target[PATH_MAX];
    snprintf(link, sizeof(link), "/proc/self/fd/%d", fileno(file));
    ssize_t length = readlink(link, target, sizeof(target) - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

void addFault(const FileFault& fault) {
    std::lock_guard<std::mutex> guard(g_faultMutex);
    g_faults.push_back(fault);
    g_bArmed = true;
}

bool matches(const FileFault& fault, platform::FileOperation op, const std::string& path) {
    return fault.op == op && path.find(fault.pathPart) != std::string::npos;
}

// The first unfired stop for op on path whose byte lies in [from, to]; it is
// marked fired. False when there is none.
bool takeStop(platform::FileOperation op, const std::string& path, long from, long to, long& at) {
    std::lock_guard<std::mutex> guard(g_faultMutex);
    for (FileFault& fault : g_faults) {
        if (fault.stop && !fault.fired && matches(fault, op, path) && fault.bytes >= from &&
            fault.bytes <= to) {
            fault.fired = true;
            at = fault.bytes;
            return true;
        }
    }
    return false;
}

// The lowest failure offset set for op on path; LONG_MAX when none.
long failureOffset(platform::FileOperation op, const std::string& path) {
    std::lock_guard<std::mutex> guard(g_faultMutex);
    long offset = LONG_MAX;
    for (const FileFault& fault : g_faults) {
        if (!fault.stop && matches(fault, op, path)) {
            offset = std::min(offset, fault.bytes);
        }
    }
    return offset;
}

}  // namespace

namespace platform {

void failFileOperation(FileOperation op, const std::string& pathPart, long afterBytes) {
    addFault(FileFault{op, pathPart, std::max(afterBytes, 0L), false, false});
}

void stopFileOperation(FileOperation op, const std::string& pathPart, long atByte) {
    addFault(FileFault{op, pathPart, std::max(atByte, 0L), true, false});
}

void clearFileFaults() {
    std::lock_guard<std::mutex> guard(g_faultMutex);
    g_faults.clear();
    g_bArmed = false;
}

void setDurableSync(bool durable) {
    g_bDurable = durable;
}

bool durableSync() {
    return g_bDurable;
}

bool fileOperationGoesOn(FileOperation op, const std::string& hostPath) {
    if (!g_bArmed) {
        return true;
    }
    long at = 0;
    if (takeStop(op, hostPath, 0, LONG_MAX, at)) {
        raise(SIGSTOP);
    }
    return failureOffset(op, hostPath) == LONG_MAX;
}

bool fileOperationGoesOn(FileOperation op, FILE* file) {
    return !g_bArmed || !file || fileOperationGoesOn(op, hostPathOf(file));
}

size_t transferWithFaults(FileOperation op, FILE* file, size_t count,
                          const std::function<size_t(size_t done, size_t n)>& move) {
    if (!g_bArmed || !file) {
        return move(0, count);
    }
    const std::string path = hostPathOf(file);
    const long offset = ftell(file);
    if (offset < 0) {
        return move(0, count);
    }
    long limit = failureOffset(op, path);
    size_t allowed = limit == LONG_MAX ? count : static_cast<size_t>(std::max(limit - offset, 0L));
    allowed = std::min(allowed, count);
    size_t done = 0;
    long at = 0;
    if (takeStop(op, path, offset, offset + static_cast<long>(allowed), at)) {
        done = move(0, static_cast<size_t>(at - offset));
        fflush(file);
        raise(SIGSTOP);
    }
    return done + move(done, allowed - done);
}

}  // namespace platform
