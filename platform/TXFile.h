// A file of the camera, opened by its camera path (placed under the
// file-system root off the camera).
#ifndef PLATFORM_TXFILE_H
#define PLATFORM_TXFILE_H

#include <stdio.h>

#include <string>

#include "platform/BaseTypes.h"

class TXFile {
  public:
    enum {
        modeRead = 1,       // read an existing file
        modeWrite = 2,      // write, creating the file (and its directories)
        modeTruncate = 64,  // with modeWrite: empty the file first
    };

    TXFile();
    ~TXFile();
    TXFile(const TXFile&) = delete;
    TXFile& operator=(const TXFile&) = delete;

    bool open(const char* path, int mode = modeRead);
    // Bytes moved; 0 on a file that is not open.
    int read(void* buffer, int count);
    int write(const void* buffer, int count);
    // The open file's length in bytes; 0 on a file that is not open.
    INT64 getLength();
    FILE* getFileHandle();
    // Writes what is buffered through to storage; true on success.
    bool sync();
    void close();

    // The next line of the stream without its line end; "" at the end.
    static std::string ReadOneLine(FILE* stream);
    // Renames one camera path over another in one step; true on success.
    static bool rename(const char* fromPath, const char* toPath);
    // Makes the entries of a directory (a rename in it) durable.
    static bool syncDirectory(const char* dirPath);
    // Removes a camera path; true when it is gone.
    static bool remove(const char* path);

  private:
    FILE* m_pFile;
};

#endif
