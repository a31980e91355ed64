#include "support/ReplacingFile.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FsRoot.h"

namespace {

std::mutex g_replaceMutex;
unsigned g_nSequence = 0;  // under g_replaceMutex
const int kCreateAttempts = 64;

std::string directoryOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void makeDirectories(const std::string& dir) {
    for (std::string::size_type slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (!part.empty()) {
            mkdir(part.c_str(), 0755);
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

// A temporary of a writer that is gone: this process's own (replacements of
// one process run one at a time, and this one holds the turn), one of a
// process that no longer runs, or the single fixed-name temporary of earlier
// builds.
bool isStaleTemporary(const std::string& entry, const std::string& prefix) {
    if (entry == prefix.substr(0, prefix.size() - 1)) {
        return true;
    }
    if (entry.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    char* end = nullptr;
    long pid = strtol(entry.c_str() + prefix.size(), &end, 10);
    if (end == entry.c_str() + prefix.size() || *end != '.' || pid <= 0) {
        return false;
    }
    return pid == getpid() || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

// Unlinking removes a planted link itself, never what it points to.
void removeStaleTemporaries(const std::string& hostDir, const std::string& targetName) {
    DIR* dir = opendir(hostDir.c_str());
    if (!dir) {
        return;
    }
    std::string prefix = targetName + ".tmp.";
    while (struct dirent* entry = readdir(dir)) {
        if (isStaleTemporary(entry->d_name, prefix)) {
            unlink((hostDir + "/" + entry->d_name).c_str());
        }
    }
    closedir(dir);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

ReplacingFile::ReplacingFile() : m_objTurn(g_replaceMutex, std::defer_lock) {}

ReplacingFile::~ReplacingFile() {
    discard();
}

bool ReplacingFile::open(const char* path, int mode) {
    discard();
    if (!path || !*path) {
        return false;
    }
    if (!m_objTurn.owns_lock()) {
        m_objTurn.lock();
    }
    m_strTarget = path;
    struct stat created;
    if (!createTemporary(created)) {
        discard();
        return false;
    }
    if (!m_objFile.open(m_strTemporary.c_str(), mode | TXFile::modeWrite | TXFile::modeTruncate)) {
        discard();
        return false;
    }
    // The file opened must be the one created above, not something put in
    // its place in between.
    struct stat opened;
    if (fstat(fileno(m_objFile.getFileHandle()), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        !sameFile(created, opened)) {
        discard();
        return false;
    }
    return true;
}

// Creates the temporary exclusively: O_EXCL with O_CREAT fails on any
// existing name, a link included, so nothing is ever followed.
bool ReplacingFile::createTemporary(struct stat& created) {
    std::string hostTarget = platform::resolvePath(m_strTarget);
    std::string hostDir = directoryOf(hostTarget);
    makeDirectories(hostDir);
    removeStaleTemporaries(hostDir, baseNameOf(hostTarget));
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        std::string name =
            m_strTarget + ".tmp." + std::to_string(getpid()) + "." + std::to_string(++g_nSequence);
        int fd = ::open(platform::resolvePath(name).c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_strTemporary = name;
            bool known = fstat(fd, &created) == 0;
            ::close(fd);
            return known;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

int ReplacingFile::write(const void* buffer, int count) {
    return m_objFile.write(buffer, count);
}

bool ReplacingFile::commit() {
    if (m_strTemporary.empty()) {
        return false;
    }
    bool synced = m_objFile.sync();
    m_objFile.close();
    if (!synced || !TXFile::rename(m_strTemporary.c_str(), m_strTarget.c_str())) {
        discard();
        return false;
    }
    m_strTemporary.clear();
    TXFile::syncDirectory(directoryOf(m_strTarget).c_str());
    return true;
}

void ReplacingFile::discard() {
    m_objFile.close();
    if (!m_strTemporary.empty()) {
        TXFile::remove(m_strTemporary.c_str());
        m_strTemporary.clear();
    }
}
