// The console's JSON API, apart from HTTP: each route's answer as a status
// and a JSON body. The controller's own lock orders the calls; every answer
// that shows values shows one whole set.
#ifndef TOOLS_SENSORCTL_CONSOLE_CONSOLEAPI_H
#define TOOLS_SENSORCTL_CONSOLE_CONSOLEAPI_H

#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ConsoleLogs.h"

class Session;

struct Reply {
    int status;
    nlohmann::json body;
};

// A refusal of the request itself: {"error": reason}.
Reply badRequest(int status, const std::string& reason);
// The JSON text of a reply: one line, bytes that are not UTF-8 replaced.
std::string jsonText(const nlohmann::json& body);

class ConsoleApi {
  public:
    enum { PAIRS_MAX = 1024, LOG_LINES_DEFAULT = 100 };

    // program: sensorctl (with its emulator, if any), run on a scratch copy of
    // the disk for the day at a glance.
    ConsoleApi(Session& session, const std::vector<std::string>& program);

    Reply style();
    Reply values();
    Reply set(const nlohmann::json& body);
    Reply flush();
    Reply schemes();
    Reply pickScheme(const nlohmann::json& body);
    Reply sim();
    Reply setSim(const nlohmann::json& body);
    Reply tick();
    Reply logs(const std::string& limit);
    Reply day(const std::string& mode, const std::string& night);

    // Takes the logs' news (the server does so every second too).
    void collectLogs() { m_objLogs.collect(); }

  private:
    nlohmann::json snapshot();
    int schemeMode();

    Session& m_objSession;
    std::vector<std::string> m_program;
    ConsoleLogs m_objLogs;
    std::mutex m_objClockMutex;
    bool m_bFakeClock = false;
    size_t m_nPairRoom = 0;  // the most pairs one set takes: the set's size
};

#endif
