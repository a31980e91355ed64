#include "platform/TXLogger.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <mutex>

#include "platform/FsRoot.h"
#include "platform/host/HostFiles.h"

namespace {

// Loggers of every thread append to the same files: rotation and the write
// of one record happen under one lock.
std::mutex g_logMutex;

std::string backupName(const std::string& path, int index) {
    return path + "." + std::to_string(index);
}

void rotate(const std::string& path, int backups) {
    if (backups <= 0) {
        truncate(path.c_str(), 0);
        return;
    }
    unlink(backupName(path, backups).c_str());
    for (int i = backups - 1; i >= 1; --i) {
        rename(backupName(path, i).c_str(), backupName(path, i + 1).c_str());
    }
    rename(path.c_str(), backupName(path, 1).c_str());
}

std::string formatRecord(const char* tag, const char* text) {
    char stamp[32];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &local);
    std::string record = std::string(stamp) + " " + (tag ? tag : "") + " " + (text ? text : "");
    if (record.empty() || record.back() != '\n') {
        record += '\n';
    }
    return record;
}

long fileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : 0;
}

}  // namespace

TXLogger::TXLogger() : m_nMaxBytes(0), m_nBackups(0) {}

TXLogger::~TXLogger() {}

bool TXLogger::init(const char* path, int maxBytes, int backups) {
    if (!path || !*path || maxBytes <= 0) {
        return false;
    }
    m_strPath = platform::resolvePath(path);
    m_nMaxBytes = maxBytes;
    m_nBackups = backups < 0 ? 0 : backups;
    return true;
}

void TXLogger::writeLog(const char* tag, const char* text) {
    if (m_strPath.empty()) {
        return;
    }
    std::string record = formatRecord(tag, text);
    if (static_cast<long>(record.size()) > m_nMaxBytes) {
        record.resize(static_cast<size_t>(m_nMaxBytes - 1));
        record += '\n';
    }
    std::lock_guard<std::mutex> guard(g_logMutex);
    platform::makeParentDirectories(m_strPath);
    long size = fileSize(m_strPath);
    if (size > 0 && size + static_cast<long>(record.size()) > m_nMaxBytes) {
        rotate(m_strPath, m_nBackups);
    }
    int fd = open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) {
        return;
    }
    ssize_t ignored = write(fd, record.data(), record.size());
    (void)ignored;
    close(fd);
}
