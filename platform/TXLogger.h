// Append-only, size-bounded log file of the base library.
#ifndef PLATFORM_TXLOGGER_H
#define PLATFORM_TXLOGGER_H

#include <string>

// A logger writes records to one file. When a record would take the file past
// its size bound, the file is rotated first: path becomes path.1, path.1
// becomes path.2 and so on, keeping at most the given number of older files,
// so a log can never fill the flash. Each record is one line:
// "YYYY-MM-DD HH:MM:SS <tag> <text>", with a line end added when the text
// has none. Failures are silent: a log that cannot be written is skipped.
class TXLogger {
  public:
    TXLogger();
    ~TXLogger();
    TXLogger(const TXLogger&) = delete;
    TXLogger& operator=(const TXLogger&) = delete;

    // path: the camera path of the log; maxBytes: size bound of one file;
    // backups: number of older files kept. Returns false when unusable.
    bool init(const char* path, int maxBytes, int backups);
    void writeLog(const char* tag, const char* text);

  private:
    std::string m_strPath;  // resolved under the file-system root
    long m_nMaxBytes;
    int m_nBackups;
};

#endif
