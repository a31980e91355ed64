// The abort goes through the C library's assertion failure also in builds
// that switch assert() off.
#undef NDEBUG
#include "support/SensorDebug.h"

#include <assert.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/CameraPaths.h"
#include "platform/FsRoot.h"
#include "platform/TXLogger.h"

int32_t g_nDebugLevel = 1;
bool g_bEnAssert = false;

namespace {

void setDebugGlobals(int32_t level, bool enAssert) {
    __atomic_store_n(&g_nDebugLevel, level, __ATOMIC_RELAXED);
    __atomic_store_n(&g_bEnAssert, enAssert, __ATOMIC_RELAXED);
}

// The two lines of the sign file are read from its first bytes only: a first
// line running longer is cut there, and a second line behind it is not seen.
const size_t kSignReadMax = 256;
const int kAssertColor = 31;

struct KindInfo {
    const char* tag;
    bool logged;
};

const KindInfo kKinds[] = {
    {"[sensor warn]", true},   // SNS_KIND_WARN
    {"[sensor dbg]", false},   // SNS_KIND_DBG
    {"[sensor err]", false},   // SNS_KIND_ERR
    {"[sensor info]", false},  // SNS_KIND_INFO
};

const char* const kAssertTag = "[sensor assert]";

void openColor(int color) {
    printf("\033[%dm\033[%dm", 0, color);
}
void closeColor() {
    fputs("\033[0m", stdout);
}

void printSiteLine(const char* tag, const SnsSite& site) {
    printf("%s file:%s fun:%s line:%d\n", tag, site.file, site.function, site.line);
}

// One error-log record, formatted into a fixed buffer and cut to it.
void formatRecord(char (&record)[SNS_LOG_RECORD_MAX], const char* format, va_list args) {
    vsnprintf(record, sizeof(record), format, args);
}

void formatRecordf(char (&record)[SNS_LOG_RECORD_MAX], const char* format, ...) {
    va_list args;
    va_start(args, format);
    formatRecord(record, format, args);
    va_end(args);
}

// The site record and the record that follows it, as one group of the log.
void logSiteAnd(const char* tag, const SnsSite& site, const char* second) {
    char record[SNS_LOG_RECORD_MAX];
    TXLogger logger;
    logger.init(platform::kErrorLog, 10240, 3);
    formatRecordf(record, "file:%s fun:%s line:%d\n", site.file, site.function, site.line);
    logger.writeLog(tag, record);
    logger.writeLog(tag, second);
}

void logOne(const char* tag, const char* text) {
    TXLogger logger;
    logger.init(platform::kErrorLog, 10240, 3);
    logger.writeLog(tag, text);
}

void reportFailedCondition(const char* condition, const SnsSite& site) {
    updateDebugLevel();
    if (snsDebugLevel() < 0) {
        return;
    }
    flockfile(stdout);
    openColor(kAssertColor);
    printSiteLine(kAssertTag, site);
    printf("%s   ~~~Assertion failed.\n", condition);
    closeColor();
    fflush(stdout);
    funlockfile(stdout);
    char record[SNS_LOG_RECORD_MAX];
    formatRecordf(record, "%s   ~~~Assertion failed.\n", condition);
    logSiteAnd(kAssertTag, site, record);
}

void reportDetail(const char* format, va_list args) {
    updateDebugLevel();
    if (snsDebugLevel() < 0) {
        return;
    }
    char record[SNS_LOG_RECORD_MAX] = "";
    va_list forLog;
    va_copy(forLog, args);
    flockfile(stdout);
    openColor(kAssertColor);
    if (format) {
        vprintf(format, args);
    }
    closeColor();
    fflush(stdout);
    funlockfile(stdout);
    if (format) {
        formatRecord(record, format, forLog);
    }
    va_end(forLog);
    logOne(kAssertTag, record);
}

void abortIfEnabled(const SnsSite& site) {
    if (snsAssertEnabled()) {
        __assert_fail("bRet", site.file, static_cast<unsigned>(site.line), site.signature);
    }
}

bool assertWith(bool bRet, const char* condition, const SnsSite& site, const char* format,
                va_list args) {
    if (bRet) {
        return true;
    }
    reportFailedCondition(condition, site);
    reportDetail(format, args);
    abortIfEnabled(site);
    return false;
}

// The site comes by pointer: va_start may not name a reference parameter.
bool assertWithout(bool bRet, const char* condition, const SnsSite* site, ...) {
    va_list none;
    va_start(none, site);
    bool result = assertWith(bRet, condition, *site, nullptr, none);
    va_end(none);
    return result;
}

// The report scopes of this thread: one record, one thread-local lookup.
thread_local SnsScopeState t_stScope = {0, false};

// Before a print: the sign file, once per scope (every time outside one).
void refreshForPrint() {
    SnsScopeState& scope = t_stScope;
    if (scope.nDepth > 0 && scope.bRead) {
        return;
    }
    updateDebugLevel();
    scope.bRead = scope.nDepth > 0;
}

// Up to size bytes from the start of the open file; the number read.
size_t readSign(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

// The line at line (which ends at its '\n' or at end, where one byte more may
// be written), NUL-terminated in place without its line end; empty tells
// whether nothing was left of it. The start of the line that follows.
char* takeLine(char* line, char* end, bool& empty) {
    char* newline = static_cast<char*>(memchr(line, '\n', static_cast<size_t>(end - line)));
    char* stop = newline ? newline : end;
    if (stop > line && stop[-1] == '\r') {
        --stop;
    }
    empty = stop == line;
    *stop = '\0';
    return newline ? newline + 1 : end;
}

}  // namespace

SnsReportScope::SnsReportScope() : m_stState(t_stScope) {
    if (m_stState.nDepth++ == 0) {
        m_stState.bRead = false;
    }
}

SnsReportScope::~SnsReportScope() {
    --m_stState.nDepth;
}

void updateDebugLevel() {
    // Checked once per operation on the set path (SnsReportScope): nothing is
    // allocated. Only a regular file is read; anything else at the path (a
    // FIFO, a directory, a device) counts as no file, since reading it could
    // block every report or never end.
    char sign[512];
    struct stat info;
    if (!platform::resolvePath(platform::kSignFile, sign, sizeof(sign)) || stat(sign, &info) != 0 ||
        !S_ISREG(info.st_mode)) {
        setDebugGlobals(1, false);
        return;
    }
    // Opened without blocking and checked again on the descriptor: the path
    // may have been replaced since the check above.
    int fd = open(sign, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        setDebugGlobals(1, false);
        return;
    }
    char text[kSignReadMax + 1];
    size_t length = readSign(fd, text, kSignReadMax);
    close(fd);
    bool levelEmpty = false;
    bool enableEmpty = false;
    char* enable = takeLine(text, text + length, levelEmpty);
    takeLine(enable, text + length, enableEmpty);
    setDebugGlobals(levelEmpty ? 1 : atoi(text), enableEmpty ? false : atoi(enable) != 0);
}

bool snsAssertCheck(bool bRet, const char* condition, const SnsSite& site) {
    return assertWithout(bRet, condition, &site);
}

bool snsAssertCheck(bool bRet, const char* condition, const SnsSite& site, const char* format,
                    ...) {
    va_list args;
    va_start(args, format);
    bool result = assertWith(bRet, condition, site, format, args);
    va_end(args);
    return result;
}

bool snsKindEnabled(SnsKind kind) {
    refreshForPrint();
    return snsDebugLevel() >= snsKindThreshold(kind);
}

bool snsPlainEnabled() {
    refreshForPrint();
    return snsDebugLevel() >= 6;
}

void snsPrint(SnsKind kind, int color, const SnsSite& site, const char* format, ...) {
    const KindInfo& info = kKinds[kind];
    va_list args;
    va_start(args, format);
    char record[SNS_LOG_RECORD_MAX];
    if (info.logged) {
        va_list forLog;
        va_copy(forLog, args);
        formatRecord(record, format, forLog);
        va_end(forLog);
    }
    flockfile(stdout);
    openColor(color);
    printSiteLine(info.tag, site);
    vprintf(format, args);
    closeColor();
    fflush(stdout);
    funlockfile(stdout);
    va_end(args);
    if (info.logged) {
        logSiteAnd(info.tag, site, record);
    }
}

void snsPlainPrint(int color, const char* format, ...) {
    va_list args;
    va_start(args, format);
    flockfile(stdout);
    openColor(color);
    vprintf(format, args);
    closeColor();
    fflush(stdout);
    funlockfile(stdout);
    va_end(args);
}
