#include "support/ReplacingFile.h"

#include <unistd.h>

#include <atomic>

namespace {

std::atomic<unsigned> g_nSequence(0);
std::mutex g_replaceMutex;

std::string directoryOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string uniqueSiblingPath(const std::string& path) {
    return path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(++g_nSequence);
}

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
    m_strTemporary = m_strTarget + ".tmp";
    if (!m_objFile.open(m_strTemporary.c_str(), mode | TXFile::modeWrite | TXFile::modeTruncate)) {
        m_strTemporary.clear();
        return false;
    }
    return true;
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
