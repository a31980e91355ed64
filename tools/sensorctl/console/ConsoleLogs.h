// What the simulated camera did, for the console's live view: the processor
// calls, the video module's notifications and the module's diagnostics,
// each kept to the newest lines, each line cut to a bounded length.
#ifndef TOOLS_SENSORCTL_CONSOLE_CONSOLELOGS_H
#define TOOLS_SENSORCTL_CONSOLE_CONSOLELOGS_H

#include <sys/types.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

class RecordingVideoModule;

class ConsoleLogs {
  public:
    enum { LINES_KEPT = 200, LINE_ROOM = 240 };

    // diagnosticsLog: the file the module's diagnostics go to ("" for none).
    ConsoleLogs(const RecordingVideoModule& video, const std::string& diagnosticsLog);

    // Takes what happened since the last call (the simulator's log is emptied
    // as it is taken, so it does not grow while the console runs).
    void collect();

    struct Lines {
        std::vector<std::string> processor;
        std::vector<std::string> video;
        std::vector<std::string> diagnostics;
    };
    // Newest first, at most limit of each.
    Lines newest(size_t limit);

  private:
    void readDiagnostics();

    const RecordingVideoModule& m_objVideo;
    std::string m_strDiagnosticsLog;
    std::mutex m_objMutex;
    std::deque<std::string> m_processor;
    std::deque<std::string> m_video;
    std::deque<std::string> m_diagnostics;
    size_t m_nVideoSeen = 0;
    off_t m_nDiagnosticsRead = 0;
    std::string m_strPartialLine;
};

#endif
