#include "ServeCommand.h"

#include <stdio.h>

#ifdef SENSORCTL_CONSOLE
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "ListenAddress.h"
#include "Session.h"
#include "console/ConsoleServer.h"

namespace {

int g_nStopPipe[2] = {-1, -1};

void onStopSignal(int) {
    char byte = 1;
    ssize_t written = write(g_nStopPipe[1], &byte, 1);
    (void)written;
}

// Stops the server at the first SIGINT or SIGTERM (or when woken by run's end).
class StopOnSignal {
  public:
    explicit StopOnSignal(ConsoleServer& server) {
        if (pipe(g_nStopPipe) != 0) {
            return;
        }
        struct sigaction action;
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(SIGINT, &action, &m_objOldInt);
        sigaction(SIGTERM, &action, &m_objOldTerm);
        m_objWatcher = std::thread([&server] {
            char byte = 0;
            while (read(g_nStopPipe[0], &byte, 1) < 0) {
            }
            server.stop();
        });
    }
    ~StopOnSignal() {
        if (!m_objWatcher.joinable()) {
            return;
        }
        onStopSignal(0);
        m_objWatcher.join();
        sigaction(SIGINT, &m_objOldInt, nullptr);
        sigaction(SIGTERM, &m_objOldTerm, nullptr);
        close(g_nStopPipe[0]);
        close(g_nStopPipe[1]);
    }

  private:
    struct sigaction m_objOldInt;
    struct sigaction m_objOldTerm;
    std::thread m_objWatcher;
};

}  // namespace

bool runServe(Session& session) {
    ListenAddress listen;
    std::string error;
    parseListenAddress(session.options().listen, listen, error);  // checked with the options
    ConsoleConfig config;
    config.host = listen.host;
    config.port = listen.port;
    config.program = {"/proc/self/exe"};
    ConsoleServer server(session, config);
    StopOnSignal stopper(server);  // a signal from here on stops the server, even before run
    if (!server.bind(error)) {
        fprintf(stderr, "sensorctl: serve: %s\n", error.c_str());
        return false;
    }
    if (!isLoopbackHost(config.host)) {
        fprintf(stderr,
                "sensorctl: warning: serving on %s, beyond this machine: whoever reaches it can "
                "change the camera's settings\n",
                config.host.c_str());
    }
    session.answer("serving " + server.address() + " (Ctrl-C stops)");
    server.run();
    session.answer("stopped");
    return true;
}

#else

bool runServe(Session&) {
    fputs(
        "sensorctl: serve: this sensorctl was built without the settings console (it needs "
        "libcpp-httplib-dev and nlohmann-json3-dev)\n",
        stderr);
    return false;
}

#endif
