#include "platform/sy_system.h"

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

void sleepMilliseconds(long ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
}

// Waits for the child's end, polling, for at most timeoutSeconds; -1 on timeout.
int waitWithTimeout(pid_t child, int timeoutSeconds) {
    const long stepMs = 5;
    long waitedMs = 0;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0) {
            return -1;
        }
        if (timeoutSeconds > 0 && waitedMs >= timeoutSeconds * 1000L) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        sleepMilliseconds(stepMs);
        waitedMs += stepMs;
    }
}

}  // namespace

int sy_system(const char* command, int timeoutSeconds) {
    if (!command) {
        return -1;
    }
    pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        setpgid(0, 0);  // its own group, so a timeout ends the whole command
        execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(child, child);
    return waitWithTimeout(child, timeoutSeconds);
}
