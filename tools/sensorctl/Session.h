// One run of sensorctl: the camera disk, the simulated sensor, one controller
// on it, and where the answers go.
#ifndef TOOLS_SENSORCTL_SESSION_H
#define TOOLS_SENSORCTL_SESSION_H

#include <stdio.h>

#include <memory>
#include <string>

#include "Options.h"
#include "platform/ModuleConfigure.h"
#include "platform/host/RecordingVideoModule.h"
#include "sensor/ISensorController.h"

class Session {
  public:
    Session(const Options& options, FILE* answers);
    ~Session();

    // Seeds the root when it is new or empty (afresh with --reseed), writes the
    // sign file, loads the profile, and initialises the controller as the host
    // does. Unless options.verbose, the module's diagnostics (what it prints on
    // standard output) go from here on to the log in the root.
    bool open(std::string& error);
    // Whether open failed because the root holds another disk than asked for
    // (another family's, or files that --reseed must not replace).
    bool refused() const { return m_bRefused; }
    // uinit, as the host does before it destroys the controller.
    void close();

    ISensorController& controller() { return *m_pController; }
    RecordingVideoModule& video() { return m_objVideo; }
    // The processor channel the controller drives (a thermal double-sensor
    // machine has one controller, on the thermal camera 2).
    int channel() const { return m_nChannel; }
    const std::string& root() const { return m_strRoot; }
    // The log holding the module's diagnostics of this run; "" when they are
    // streamed to standard error.
    const std::string& diagnosticsLog() const { return m_strLog; }
    const Options& options() const { return m_objOptions; }
    // The module configuration of the camera, as the host reads it from the disk.
    ModuleConfigure moduleConfigure() const;
    // The user schemes its configuration asks for (max_scheme, bounded).
    u32 schemeCount() const;

    // One answer line (a trailing newline is added when missing).
    void answer(const std::string& text);
    // Problems found by `check`; the run exits with 1 when there were any.
    void countProblems(int problems) { m_nProblems += problems; }
    int problems() const { return m_nProblems; }

  private:
    bool prepareRoot(std::string& family, std::string& error);
    bool loadProfile(const std::string& family, std::string& error);
    void keepDiagnostics();

    Options m_objOptions;
    FILE* m_pAnswers;
    std::string m_strRoot;
    std::string m_strLog;
    RecordingVideoModule m_objVideo;
    std::unique_ptr<ISensorController> m_pController;
    int m_nChannel = 0;
    int m_nProblems = 0;
    bool m_bRefused = false;
};

#endif
