// The abort goes through the C library's assertion failure also in builds
// that switch assert() off.
#undef NDEBUG
#include "support/SensorDebug.h"

#include <assert.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/FsRoot.h"
#include "platform/TXFile.h"
#include "platform/TXLogger.h"

int32_t g_nDebugLevel = 1;
bool g_bEnAssert = false;

namespace {

void setDebugGlobals(int32_t level, bool enAssert) {
    __atomic_store_n(&g_nDebugLevel, level, __ATOMIC_RELAXED);
    __atomic_store_n(&g_bEnAssert, enAssert, __ATOMIC_RELAXED);
}

const char* const kSignFile = "/mnt/mtd/sign/Debug.sign";
const char* const kErrorLog = "/mnt/mtd/log/SensorError.log";
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
    logger.init(kErrorLog, 10240, 3);
    formatRecordf(record, "file:%s fun:%s line:%d\n", site.file, site.function, site.line);
    logger.writeLog(tag, record);
    logger.writeLog(tag, second);
}

void logOne(const char* tag, const char* text) {
    TXLogger logger;
    logger.init(kErrorLog, 10240, 3);
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
    // allocated while the sign file is absent.
    char sign[512];
    if (!platform::resolvePath(kSignFile, sign, sizeof(sign)) || access(sign, F_OK) != 0) {
        setDebugGlobals(1, false);
        return;
    }
    TXFile file;
    if (!file.open(kSignFile, TXFile::modeRead)) {
        return;
    }
    std::string level = TXFile::ReadOneLine(file.getFileHandle());
    std::string enable = TXFile::ReadOneLine(file.getFileHandle());
    setDebugGlobals(level.empty() ? 1 : atoi(level.c_str()),
                    enable.empty() ? false : atoi(enable.c_str()) != 0);
    file.close();
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
