#include "platform/TXFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

#include "platform/FsRoot.h"
#include "platform/HostSeams.h"
#include "platform/host/FileFaults.h"
#include "platform/host/HostFiles.h"

namespace {

// The bytes written through every file, under a lock rather than a 64-bit
// atomic: a 32-bit MIPS has no 64-bit atomic instructions, and GCC would make
// every program that links the stand-ins need libatomic.
std::mutex g_bytesWrittenLock;
unsigned long long g_nBytesWritten = 0;

void countBytesWritten(size_t bytes) {
    std::lock_guard<std::mutex> hold(g_bytesWrittenLock);
    g_nBytesWritten += bytes;
}

const char* fopenMode(int mode) {
    bool write = (mode & TXFile::modeWrite) != 0;
    if (write && (mode & TXFile::modeTruncate)) {
        return (mode & TXFile::modeRead) ? "w+b" : "wb";
    }
    if (write) {
        return "r+b";
    }
    return "rb";
}

}  // namespace

TXFile::TXFile() : m_pFile(nullptr) {}

TXFile::~TXFile() {
    close();
}

bool TXFile::open(const char* path, int mode) {
    close();
    if (!path || !*path) {
        return false;
    }
    std::string resolved = platform::resolvePath(path);
    if (!platform::fileOperationGoesOn(platform::fileOpen, resolved)) {
        return false;
    }
    bool write = (mode & modeWrite) != 0;
    if (write) {
        platform::makeParentDirectories(resolved);
    }
    m_pFile = fopen(resolved.c_str(), fopenMode(mode));
    if (!m_pFile && write && !(mode & modeTruncate)) {
        // Writing without truncation still creates a missing file.
        m_pFile = fopen(resolved.c_str(), "w+b");
    }
    return m_pFile != nullptr;
}

int TXFile::read(void* buffer, int count) {
    if (!m_pFile || !buffer || count <= 0) {
        return 0;
    }
    char* bytes = static_cast<char*>(buffer);
    return static_cast<int>(platform::transferWithFaults(
        platform::fileRead, m_pFile, static_cast<size_t>(count),
        [&](size_t done, size_t n) { return fread(bytes + done, 1, n, m_pFile); }));
}

int TXFile::write(const void* buffer, int count) {
    if (!m_pFile || !buffer || count <= 0) {
        return 0;
    }
    const char* bytes = static_cast<const char*>(buffer);
    size_t written = platform::transferWithFaults(
        platform::fileWrite, m_pFile, static_cast<size_t>(count),
        [&](size_t done, size_t n) { return fwrite(bytes + done, 1, n, m_pFile); });
    countBytesWritten(written);
    if (fflush(m_pFile) != 0) {
        return 0;
    }
    return static_cast<int>(written);
}

INT64 TXFile::getLength() {
    if (!m_pFile) {
        return 0;
    }
    fflush(m_pFile);
    struct stat st;
    if (fstat(fileno(m_pFile), &st) != 0) {
        return 0;
    }
    return static_cast<INT64>(st.st_size);
}

FILE* TXFile::getFileHandle() {
    return m_pFile;
}

bool TXFile::sync() {
    if (!m_pFile) {
        return false;
    }
    if (!platform::fileOperationGoesOn(platform::fileSync, m_pFile)) {
        return false;
    }
    return fflush(m_pFile) == 0 && (!platform::durableSync() || fsync(fileno(m_pFile)) == 0);
}

void TXFile::close() {
    if (m_pFile) {
        fclose(m_pFile);
        m_pFile = nullptr;
    }
}

std::string TXFile::ReadOneLine(FILE* stream) {
    std::string line;
    if (!stream) {
        return line;
    }
    int c;
    while ((c = fgetc(stream)) != EOF && c != '\n') {
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

bool TXFile::rename(const char* fromPath, const char* toPath) {
    if (!fromPath || !toPath) {
        return false;
    }
    std::string from = platform::resolvePath(fromPath);
    std::string to = platform::resolvePath(toPath);
    if (!platform::fileOperationGoesOn(platform::fileRename, from)) {
        return false;
    }
    platform::makeParentDirectories(to);
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool TXFile::syncDirectory(const char* dirPath) {
    if (!dirPath) {
        return false;
    }
    std::string dir = platform::resolvePath(dirPath);
    if (!platform::fileOperationGoesOn(platform::fileSyncDirectory, dir)) {
        return false;
    }
    if (!platform::durableSync()) {
        return true;
    }
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return false;
    }
    bool synced = fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool TXFile::remove(const char* path) {
    if (!path) {
        return false;
    }
    return unlink(platform::resolvePath(path).c_str()) == 0 || errno == ENOENT;
}

unsigned long long platform::fileBytesWritten() {
    std::lock_guard<std::mutex> hold(g_bytesWrittenLock);
    return g_nBytesWritten;
}
