// A file that is replaced whole or not at all.
#ifndef SUPPORT_REPLACINGFILE_H
#define SUPPORT_REPLACINGFILE_H

#include <mutex>
#include <string>

#include "platform/TXFile.h"

// Writes go to a temporary file beside the target ("<target>.tmp"). commit()
// flushes it to storage, renames it over the target and syncs the directory,
// so a power cut leaves either the old file or the new one, and at most one
// temporary file per target that the next save overwrites. Without commit()
// the temporary file is removed and the target stays as it was. Replacements
// of one process run one at a time, so two writers never share a temporary.
class ReplacingFile {
  public:
    ReplacingFile();
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // path: the camera path to replace; mode as for TXFile (written anew).
    bool open(const char* path, int mode);
    int write(const void* buffer, int count);
    bool commit();

  private:
    void discard();

    std::unique_lock<std::mutex> m_objTurn;
    TXFile m_objFile;
    std::string m_strTarget;
    std::string m_strTemporary;
};

// A camera path beside the given one that no other writer of this process or
// another one uses at the same time.
std::string uniqueSiblingPath(const std::string& path);

#endif
