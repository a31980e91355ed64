#include "ConsoleLogs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "LogLines.h"

namespace {

// The most the diagnostics view reads at once: a burst beyond it is skipped
// to its newest part.
const off_t kDiagnosticsChunk = 64 * 1024;

void keep(std::deque<std::string>& lines, std::string line) {
    if (line.size() > ConsoleLogs::LINE_ROOM) {
        line.resize(ConsoleLogs::LINE_ROOM - 3);
        line += "...";
    }
    lines.push_back(std::move(line));
    while (lines.size() > ConsoleLogs::LINES_KEPT) {
        lines.pop_front();
    }
}

std::vector<std::string> newestOf(const std::deque<std::string>& lines, size_t limit) {
    std::vector<std::string> out;
    for (auto it = lines.rbegin(); it != lines.rend() && out.size() < limit; ++it) {
        out.push_back(*it);
    }
    return out;
}

}  // namespace

ConsoleLogs::ConsoleLogs(const RecordingVideoModule& video, const std::string& diagnosticsLog)
    : m_objVideo(video), m_strDiagnosticsLog(diagnosticsLog) {}

// Under the lock from taking to keeping, so that two callers at once keep the
// lines in the order they happened.
void ConsoleLogs::collect() {
    std::lock_guard<std::mutex> guard(m_objMutex);
    std::vector<iasim::Call> calls = iasim::takeCalls();
    std::vector<RecordingVideoModule::Notification> notes = m_objVideo.notifications();
    for (const iasim::Call& call : calls) {
        keep(m_processor, callLine(call));
    }
    if (notes.size() < m_nVideoSeen) {
        m_nVideoSeen = 0;  // the video module's record was cleared
    }
    for (size_t i = m_nVideoSeen; i < notes.size(); ++i) {
        keep(m_video, notificationLine(notes[i]));
    }
    m_nVideoSeen = notes.size();
    readDiagnostics();
}

// Reads what the log gained since the last read (from its start again when it
// was emptied), a regular file only.
void ConsoleLogs::readDiagnostics() {
    if (m_strDiagnosticsLog.empty()) {
        return;
    }
    int fd = open(m_strDiagnosticsLog.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) {
            close(fd);
        }
        return;
    }
    if (st.st_size < m_nDiagnosticsRead) {
        m_nDiagnosticsRead = 0;
        m_strPartialLine.clear();
    }
    if (st.st_size - m_nDiagnosticsRead > kDiagnosticsChunk) {
        m_nDiagnosticsRead = st.st_size - kDiagnosticsChunk;
        m_strPartialLine.clear();
    }
    std::string bytes(static_cast<size_t>(st.st_size - m_nDiagnosticsRead), '\0');
    ssize_t got = bytes.empty() ? 0 : pread(fd, &bytes[0], bytes.size(), m_nDiagnosticsRead);
    close(fd);
    if (got <= 0) {
        return;
    }
    m_nDiagnosticsRead += got;
    bytes.resize(static_cast<size_t>(got));
    std::string text = m_strPartialLine + bytes;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        if (end > start) {
            keep(m_diagnostics, text.substr(start, end - start));
        }
        start = end + 1;
    }
    m_strPartialLine = text.substr(start, ConsoleLogs::LINE_ROOM);
}

ConsoleLogs::Lines ConsoleLogs::newest(size_t limit) {
    std::lock_guard<std::mutex> guard(m_objMutex);
    Lines lines;
    lines.processor = newestOf(m_processor, limit);
    lines.video = newestOf(m_video, limit);
    lines.diagnostics = newestOf(m_diagnostics, limit);
    return lines;
}
