// A file that is replaced whole or not at all.
#ifndef SUPPORT_REPLACINGFILE_H
#define SUPPORT_REPLACINGFILE_H

#include <sys/stat.h>

#include <mutex>
#include <string>

#include "platform/TXFile.h"

// Writes go to a temporary file beside the target, "<target>.tmp.<pid>.<n>",
// that this writer creates itself: a name that already exists (another
// writer's file, a link planted there) is never opened, followed or reused.
// commit() flushes it to storage, renames it over the target and syncs the
// directory, so a power cut leaves either the old file or the new one, and
// two processes saving the same file each publish a whole file of their own.
// Without commit() the temporary file is removed and the target stays as it
// was. Temporaries left by writers that died are removed by the next save of
// the same target. Replacements of one process run one at a time.
class ReplacingFile {
  public:
    ReplacingFile();
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // path: the camera path to replace; mode as for TXFile (written anew).
    bool open(const char* path, int mode);
    int write(const void* buffer, int count);
    // The temporary's camera path while the replacement is open (to read back
    // what was written before it is published); "" otherwise.
    const std::string& temporaryPath() const { return m_strTemporary; }
    bool commit();

  private:
    bool createTemporary(struct stat& created);
    void discard();

    std::unique_lock<std::mutex> m_objTurn;
    TXFile m_objFile;
    std::string m_strTarget;
    std::string m_strTemporary;
};

#endif
