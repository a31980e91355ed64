// The settings console: the page and its JSON API over HTTP, on one
// session's controller, with the sensor thread running.
#ifndef TOOLS_SENSORCTL_CONSOLE_CONSOLESERVER_H
#define TOOLS_SENSORCTL_CONSOLE_CONSOLESERVER_H

#include <memory>
#include <string>
#include <vector>

class Session;

struct ConsoleConfig {
    std::string host = "127.0.0.1";
    int port = 8080;  // 0: any free port
    // sensorctl (with its emulator, if any), run on a scratch copy of the disk
    // for the day at a glance.
    std::vector<std::string> program;
};

class ConsoleServer {
  public:
    enum { BODY_MAX = 64 * 1024 };

    ConsoleServer(Session& session, const ConsoleConfig& config);
    ~ConsoleServer();

    // Takes the address; false with a message when it cannot.
    bool bind(std::string& error);
    int port() const;
    // "http://127.0.0.1:8080/"
    std::string address() const;
    // Serves until stop(), from any thread.
    void run();
    void stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

#endif
