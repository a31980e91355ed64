// The assertion and debug log as an operator sees it: bytes on standard
// output and records of the error log, steered by the sign file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fixtures/Reports.h"
#include "fixtures/SandboxRoot.h"
#include "fixtures/Watchdog.h"
#include "support/SensorDebug.h"

namespace {

typedef std::vector<std::string> Records;

// The site line of a report from this file's TestBody, without its newline.
std::string site(const std::string& kind, int line) {
    return "[sensor " + kind +
           "] file:sensor_debug_test.cpp fun:TestBody line:" + std::to_string(line);
}

struct SensorDebugTest : SandboxRoot {
    Records logged() const { return logRecords(readFile(kErrorLog)); }
};

// The sign text, or what stands at its path ("|none", "|fifo", "|dir"),
// then the level and abort switch it gives. Only a regular file counts, and
// reading no other thing blocks: a FIFO without a writer would block its
// reader (the watchdog ends a test that blocks). Of a sign file of megabytes only the first bytes
// are read: a first line longer than those hides the second.
TEST_F(SensorDebugTest, SignFileSetsLevelAndAbortSwitch) {
    const std::string sign = hostPath("/mnt/mtd/sign/Debug.sign"), bulk(4 << 20, 'x');
    const char* p = sign.c_str();
    // clang-format off
    const struct { std::string sign; int level; bool abort; } cases[] = {
        {"", 1, false}, {"6\n1\n", 6, true}, {"\n1\n", 1, true}, {"6", 6, false}, {"-1\n1\n", -1, true},
        {"7\r\n0\r\n", 7, false}, {"abc\n2\n", 0, true}, {"7" + bulk + "\n1\n", 7, false},
        {"5\r\n1\n" + bulk, 5, true}, {"|fifo", 1, false}, {"|dir", 1, false}, {"|none", 1, false}};
    // clang-format on
    Watchdog watchdog(60, "reading the sign files");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sign.substr(0, 8));
        // The texts come first, each overwriting the last; the rest replace what stands there.
        c.sign[0] != '|' ? setSign(c.sign) : removeTree(sign);
        ASSERT_EQ(0, c.sign == "|fifo" ? mkfifo(p, 0644) : c.sign == "|dir" ? mkdir(p, 0755) : 0);
        g_nDebugLevel = 42, g_bEnAssert = !c.abort;
        updateDebugLevel();  // a reader that blocks fails the test by the watchdog
        EXPECT_EQ(std::make_pair(c.level, c.abort), std::make_pair(g_nDebugLevel, g_bEnAssert));
    }
}

// Each kind at each level: its bytes on standard output (a failed assertion
// in red, with and without detail; the prints in their colour) and its error
// log records (assertions and warnings only). The level is read again before
// every report, and a print below its level evaluates none of its arguments.
TEST_F(SensorDebugTest, EachKindPrintsAndLogsItsTextFromItsLevel) {
    // clang-format off
    // The sign text, then the kinds shown: assertion, warn, dbg, err, info, plain.
    const struct { const char* sign; std::string shown; } cases[] = {{"-1\n", ""}, {"1\n", "a"},
        {"4\n", "aw"}, {"5\n", "aw"}, {"6\n", "awdep"}, {"7\n0\n", "awdeip"}, {"3\n", "a"}};
    // clang-format on
    for (const auto& c : cases) {
        setSign(c.sign);
        removeTree(hostPath(kErrorLog));
        int two = 2, evaluated = 0;
        auto arg = [&evaluated](int n) { return ++evaluated, n; };
        testing::internal::CaptureStdout();
        const int line = __LINE__ + 1;
        EXPECT_FALSE(SNS_ASSERT(1 == two));
        EXPECT_FALSE(SNS_ASSERT(SNS_SUCCESS == -1, "file_name(%s) nSize(%d)\n", "a.cfg", 7));
        EXPECT_TRUE(SNS_ASSERT(++two == 3, "never %d\n", 1)) << "a holding one reports nothing";
        SNS_WARN(0, "check the sensor version, local(%d)\n", arg(7));
        SNS_DBG(35, "a%d\n", arg(1));
        SNS_ERR(0, "b%d\n", arg(2));
        SNS_INFO(36, "c%d\n", arg(3));
        SNS_PRINT(32, "not find (%d) \n", arg(12));
        auto shown = [&](const char* colour, const char* kind, int at, const char* text) {
            return "\033[0m" + (colour + site(kind, line + at)) + "\n" + text + kReset;
        };
        const std::string asserted =
            shown("\033[31m", "assert", 0, "1 == two   ~~~Assertion failed.\n") + kRed + kReset +
            shown("\033[31m", "assert", 1, "SNS_SUCCESS == -1   ~~~Assertion failed.\n") + kRed +
            "file_name(a.cfg) nSize(7)\n" + kReset;
        // clang-format off
        const std::string printed[] = {asserted,
            shown("\033[0m", "warn", 3, "check the sensor version, local(7)\n"),
            shown("\033[35m", "dbg", 4, "a1\n"), shown("\033[0m", "err", 5, "b2\n"),
            shown("\033[36m", "info", 6, "c3\n"), "\033[0m\033[32mnot find (12) \n" + kReset};
        // clang-format on
        std::string wanted;
        for (int k = 0; k < 6; ++k) wanted += contains(c.shown, {"awdeip"[k]}) ? printed[k] : "";
        EXPECT_EQ(wanted, testing::internal::GetCapturedStdout()) << c.sign;
        EXPECT_EQ(3, two) << "the condition is evaluated once";
        EXPECT_EQ(static_cast<int>(c.shown.size()) - (c.shown.empty() ? 0 : 1), evaluated);
        // clang-format off
        Records records = {site("assert", line), "[sensor assert] 1 == two   ~~~Assertion failed.",
            "[sensor assert] ", site("assert", line + 1), "[sensor assert] SNS_SUCCESS == -1   ~~~Assertion failed.",
            "[sensor assert] file_name(a.cfg) nSize(7)", site("warn", line + 3), "[sensor warn] check the sensor version, local(7)"};
        // clang-format on
        records.resize(c.shown.empty() ? 0 : c.shown.size() == 1 ? 6 : 8);
        EXPECT_EQ(records, logged()) << c.sign;
    }
    // A record longer than the log's buffer is cut; the console gets it whole.
    removeTree(hostPath(kErrorLog));
    std::string huge(5000, 'x');
    EXPECT_TRUE(contains(stdoutOf([&] { SNS_ASSERT(false, "%s\n", huge.c_str()); }), huge));
    EXPECT_EQ(3u, logged().size());
    EXPECT_EQ("[sensor assert] " + std::string(SNS_LOG_RECORD_MAX - 1, 'x'), logged().at(2));
}

// Forked, so that the child reports into this test's root. A negative level
// still aborts.
using SensorDebugDeathTest = SensorDebugTest;

TEST_F(SensorDebugDeathTest, EnabledAbortEndsTheProcessAfterTheReportIsLogged) {
    GTEST_FLAG_SET(death_test_style, "fast");
    setSign("6\n1\n");
    const int line = __LINE__ + 1;
    EXPECT_DEATH(SNS_ASSERT(1 == 2, "why\n"), "Assertion `bRet' failed");
    EXPECT_EQ((Records{site("assert", line), "[sensor assert] 1 == 2   ~~~Assertion failed.",
                       "[sensor assert] why"}),
              logged());
    setSign("-1\n1\n");
    EXPECT_DEATH(SNS_ASSERT(1 == 2), "_test.cpp:[0-9]+: .*TestBody.*Assertion `bRet' failed");
}

}  // namespace
