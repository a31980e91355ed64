// The module's assertion and debug log.
//
// A failed assertion is printed in red on standard output, appended to the
// error log and, when the sign file enables it, aborts the process. Prints of
// four kinds appear from a debug level up. The level and the abort switch are
// read from the sign file before every report (once per operation inside a
// SnsReportScope), so an operator can change them on a running camera:
//   "/mnt/mtd/sign/Debug.sign"  line 1: debug level, line 2: abort switch.
//
//   kind        tag                 from level   error log
//   assertion   "[sensor assert]"   0            yes
//   warning     "[sensor warn]"     4            yes
//   debug       "[sensor dbg]"      6            no
//   error       "[sensor err]"      6            no
//   information "[sensor info]"     7            no
//   plain print (no tag, no site)   6            no
#ifndef SUPPORT_SENSORDEBUG_H
#define SUPPORT_SENSORDEBUG_H

#include <stdint.h>

// The debug level (initially 1) and the abort switch (initially false), plain
// variables as the firmware declares them. Both are refreshed by
// updateDebugLevel() only. Any thread may report at once, so the module reads
// and writes them as whole words through the compiler's atomic built-ins
// (snsDebugLevel() and snsAssertEnabled() below).
extern int32_t g_nDebugLevel;
extern bool g_bEnAssert;

inline int32_t snsDebugLevel() {
    return __atomic_load_n(&g_nDebugLevel, __ATOMIC_RELAXED);
}
inline bool snsAssertEnabled() {
    return __atomic_load_n(&g_bEnAssert, __ATOMIC_RELAXED);
}

#define SNS_SUCCESS 0

// Refreshes both globals from the sign file: no file gives level 1 and no
// abort; a file that cannot be opened leaves them as they are. Only a regular
// file counts (anything else, a FIFO say, is no file, so no report can block
// on it), and only its first 256 bytes are read.
void updateDebugLevel();

// Where a report comes from.
struct SnsSite {
    const char* file;      // base name of the source file
    const char* function;  // short name, e.g. "init"
    int line;
    const char* signature;  // full signature, for the abort
};

enum SnsKind { SNS_KIND_WARN, SNS_KIND_DBG, SNS_KIND_ERR, SNS_KIND_INFO };

// The longest error-log record; a longer one is cut.
enum { SNS_LOG_RECORD_MAX = 1024 };

constexpr const char* snsBaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/') {
            base = p + 1;
        }
    }
    return base;
}

// The source file a report names. The files that together implement one
// source of the module's documents (the controller, SensorFile) report under
// that source's name, which operators search for: they define SNS_REPORT_FILE
// after including this header (see sensor/ControllerPrivate.h).
#ifndef SNS_REPORT_FILE
#define SNS_REPORT_FILE snsBaseName(__FILE__)
#endif

#define SNS_SITE (SnsSite{SNS_REPORT_FILE, __func__, __LINE__, __PRETTY_FUNCTION__})

// The operation a report belongs to. Operators and field tools search the log
// by operation name, so a check that an operation leaves to one of its
// helpers still reports under the operation's name (and aborts with its
// signature): the operation hands SNS_OPERATION to the helper, which reports
// with the _FOR forms of the macros below.
struct SnsOperation {
    const char* function;   // short name, e.g. "mergeStyle"
    const char* signature;  // full signature, for the abort
};
#define SNS_OPERATION (SnsOperation{__func__, __PRETTY_FUNCTION__})
#define SNS_SITE_FOR(op) (SnsSite{SNS_REPORT_FILE, (op).function, __LINE__, (op).signature})

// Reports a false condition; returns the condition.
bool snsAssertCheck(bool bRet, const char* condition, const SnsSite& site);
bool snsAssertCheck(bool bRet, const char* condition, const SnsSite& site, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// The level from which a print of the kind is shown.
inline int snsKindThreshold(SnsKind kind) {
    return kind == SNS_KIND_WARN ? 4 : (kind == SNS_KIND_INFO ? 7 : 6);
}

// True when a report of the kind is shown at the current level (re-read
// first, unless the thread's scope has read it already).
bool snsKindEnabled(SnsKind kind);

// The report scopes open on one thread, and whether they have read the sign
// file yet.
struct SnsScopeState {
    int nDepth;
    bool bRead;
};

// One operation's reading of the sign file. While a scope lives on a thread,
// the first print of that thread reads the file and the prints after it use
// the level it read, so a set of a hundred pairs reads the file once, not a
// hundred times. Scopes nest; the outermost one bounds the reading. A level
// an operator writes takes effect from the next operation on, whenever it is
// written: nothing is kept between operations, so creating the file never
// waits for a timeout. A failed assertion and a direct updateDebugLevel()
// still read the file afresh.
class SnsReportScope {
  public:
    SnsReportScope();
    ~SnsReportScope();
    SnsReportScope(const SnsReportScope&) = delete;
    SnsReportScope& operator=(const SnsReportScope&) = delete;

    // snsKindEnabled(kind) answered from the scope's own hold on the
    // thread's state: for prints inside the loops of an operation.
    bool shows(SnsKind kind) const {
        return m_stState.bRead ? snsDebugLevel() >= snsKindThreshold(kind) : snsKindEnabled(kind);
    }

  private:
    SnsScopeState& m_stState;
};
bool snsPlainEnabled();
void snsPrint(SnsKind kind, int color, const SnsSite& site, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
void snsPlainPrint(int color, const char* format, ...) __attribute__((format(printf, 2, 3)));

// SNS_ASSERT(cond) or SNS_ASSERT(cond, "detail %d\n", n): evaluates cond once,
// reports it with its source text when false, and yields it as a bool.
#define SNS_ASSERT(cond, ...) \
    snsAssertCheck(static_cast<bool>(cond), #cond, SNS_SITE, ##__VA_ARGS__)
// The same with the reported text given apart, where the checked expression
// is a guarded form of the documented one.
#define SNS_ASSERT_AS(cond, text, ...) \
    snsAssertCheck(static_cast<bool>(cond), text, SNS_SITE, ##__VA_ARGS__)
// Both in a helper, reported under operation op.
#define SNS_ASSERT_FOR(op, cond, ...) \
    snsAssertCheck(static_cast<bool>(cond), #cond, SNS_SITE_FOR(op), ##__VA_ARGS__)
#define SNS_ASSERT_AS_FOR(op, cond, text, ...) \
    snsAssertCheck(static_cast<bool>(cond), text, SNS_SITE_FOR(op), ##__VA_ARGS__)

// The prints format nothing, and evaluate no argument, below their level.
#define SNS_REPORT_AT_(kind, color, site, ...)        \
    do {                                              \
        if (snsKindEnabled(kind)) {                   \
            snsPrint(kind, color, site, __VA_ARGS__); \
        }                                             \
    } while (0)
#define SNS_WARN(color, ...) SNS_REPORT_AT_(SNS_KIND_WARN, color, SNS_SITE, __VA_ARGS__)
#define SNS_DBG(color, ...) SNS_REPORT_AT_(SNS_KIND_DBG, color, SNS_SITE, __VA_ARGS__)
#define SNS_ERR(color, ...) SNS_REPORT_AT_(SNS_KIND_ERR, color, SNS_SITE, __VA_ARGS__)
#define SNS_INFO(color, ...) SNS_REPORT_AT_(SNS_KIND_INFO, color, SNS_SITE, __VA_ARGS__)
// In a helper, reported under operation op.
#define SNS_WARN_FOR(op, color, ...) \
    SNS_REPORT_AT_(SNS_KIND_WARN, color, SNS_SITE_FOR(op), __VA_ARGS__)
#define SNS_DBG_FOR(op, color, ...) \
    SNS_REPORT_AT_(SNS_KIND_DBG, color, SNS_SITE_FOR(op), __VA_ARGS__)
#define SNS_ERR_FOR(op, color, ...) \
    SNS_REPORT_AT_(SNS_KIND_ERR, color, SNS_SITE_FOR(op), __VA_ARGS__)
#define SNS_INFO_FOR(op, color, ...) \
    SNS_REPORT_AT_(SNS_KIND_INFO, color, SNS_SITE_FOR(op), __VA_ARGS__)
// A debug print inside a loop of an operation that holds a SnsReportScope.
#define SNS_DBG_IN(scope, color, ...)                             \
    do {                                                          \
        if ((scope).shows(SNS_KIND_DBG)) {                        \
            snsPrint(SNS_KIND_DBG, color, SNS_SITE, __VA_ARGS__); \
        }                                                         \
    } while (0)
#define SNS_PRINT(color, ...)                  \
    do {                                       \
        if (snsPlainEnabled()) {               \
            snsPlainPrint(color, __VA_ARGS__); \
        }                                      \
    } while (0)

#endif
