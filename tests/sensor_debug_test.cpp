// The assertion and debug log as an operator sees it: bytes on standard
// output and records of the error log, steered by the sign file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/Eventually.h"
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

class SensorDebugTest : public SandboxRoot {
  protected:
    Records logged() const { return logRecords(readFile(kErrorLog)); }
};

TEST_F(SensorDebugTest, SignFileSetsLevelAndAbortSwitch) {
    // The sign text (null: no file), then the level and abort switch it gives.
    const struct {
        const char* sign;
        int level;
        bool abort;
    } cases[] = {{nullptr, 1, false},   {"", 1, false},           {"6\n1\n", 6, true},
                 {"\n1\n", 1, true},    {"6", 6, false},          {"6\n", 6, false},
                 {"-1\n1\n", -1, true}, {"7\r\n0\r\n", 7, false}, {"abc\n2\n", 0, true}};
    for (const auto& c : cases) {
        if (c.sign) {
            setSign(c.sign);
        }
        g_nDebugLevel = 42;
        g_bEnAssert = !c.abort;
        updateDebugLevel();
        EXPECT_EQ(c.level, g_nDebugLevel) << c.sign;
        EXPECT_EQ(c.abort, g_bEnAssert) << c.sign;
    }
}

// Something else than a file at the sign path is read as no file, and reading
// it blocks no report: a FIFO without a writer would block its reader.
TEST_F(SensorDebugTest, SignPathHoldingNoRegularFileCountsAsAbsent) {
    const std::string sign = hostPath("/mnt/mtd/sign/Debug.sign");
    const struct {
        const char* what;
        bool (*make)(const std::string& path);
    } cases[] = {
        {"fifo", [](const std::string& path) { return mkfifo(path.c_str(), 0644) == 0; }},
        {"directory", [](const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }},
        {"device", [](const std::string& path) { return symlink("/dev/null", path.c_str()) == 0; }},
    };
    setSign("6\n1\n");
    for (const auto& c : cases) {
        removeTree(sign);
        ASSERT_TRUE(c.make(sign)) << c.what;
        g_nDebugLevel = 42;
        g_bEnAssert = true;
        Watchdog watchdog(10, std::string("reading a sign ") + c.what);
        std::atomic<bool> done(false);
        std::thread reader([&done] {
            updateDebugLevel();
            done = true;
        });
        bool returned = eventually([&done] { return done.load(); });
        if (!returned) {  // a writer that comes and goes releases a blocked reader
            int fd = open(sign.c_str(), O_WRONLY | O_NONBLOCK);
            EXPECT_LE(0, fd) << c.what;
            close(fd);
        }
        reader.join();
        EXPECT_TRUE(returned) << c.what << " blocked the reader";
        EXPECT_EQ(1, g_nDebugLevel) << c.what;
        EXPECT_FALSE(g_bEnAssert) << c.what;
    }
}

// Of a sign file of megabytes, only the first bytes are read:
// a first line longer than those hides the second.
TEST_F(SensorDebugTest, HugeSignFileIsReadFromItsFirstBytes) {
    const std::string bulk(4 << 20, 'x');
    const struct {
        std::string sign;
        int level;
        bool abort;
    } cases[] = {{"7" + bulk + "\n1\n", 7, false}, {"5\r\n1\n" + bulk, 5, true}};
    for (const auto& c : cases) {
        setSign(c.sign);
        updateDebugLevel();
        EXPECT_EQ(c.level, g_nDebugLevel);
        EXPECT_EQ(c.abort, g_bEnAssert) << c.level;
    }
}

// Each report kind at each level; the level is read again before every report,
// and a print below its level evaluates none of its arguments.
TEST_F(SensorDebugTest, EachKindIsShownFromItsLevel) {
    // The sign text, the kinds shown on standard output, the records logged.
    const struct {
        const char* sign;
        const char* shown;
        size_t records;
    } cases[] = {{"-1\n", "", 0},
                 {"1\n", "assert", 3},
                 {"3\n", "assert", 3},
                 {"4\n", "assert warn", 5},
                 {"5\n", "assert warn", 5},
                 {"6\n", "assert warn dbg err plain", 5},
                 {"7\n", "assert warn dbg err info plain", 5},
                 {"1\n", "assert", 3}};
    for (const auto& c : cases) {
        setSign(c.sign);
        removeTree(hostPath(kErrorLog));
        int evaluated = 0;
        auto arg = [&evaluated] { return ++evaluated, ""; };
        testing::internal::CaptureStdout();
        SNS_ASSERT(false, "assert\n");
        SNS_WARN(0, "warn%s\n", arg());
        SNS_DBG(0, "dbg%s\n", arg());
        SNS_ERR(0, "err%s\n", arg());
        SNS_INFO(0, "info%s\n", arg());
        SNS_PRINT(0, "plain%s\n", arg());
        std::string out = testing::internal::GetCapturedStdout(), shown;
        int prints = 0;
        for (const std::string kind : {"assert", "warn", "dbg", "err", "info", "plain"}) {
            bool seen = contains(out, kind + "\n");
            prints += seen && kind != "assert";
            shown += seen ? (shown.empty() ? "" : " ") + kind : "";
        }
        EXPECT_EQ(c.shown, shown) << c.sign;
        EXPECT_EQ(prints, evaluated) << c.sign;
        EXPECT_EQ(c.records, logged().size()) << c.sign;
    }
}

TEST_F(SensorDebugTest, FailedAssertionIsPrintedInRedAndLoggedWithAndWithoutDetail) {
    int two = 2;
    testing::internal::CaptureStdout();
    int line = __LINE__ + 1;
    EXPECT_FALSE(SNS_ASSERT(1 == two));
    EXPECT_FALSE(SNS_ASSERT(SNS_SUCCESS == -1, "file_name(%s) nSize(%d)\n", "a.cfg", 7));
    EXPECT_TRUE(SNS_ASSERT(++two == 3, "never %d\n", 1)) << "a holding one reports nothing";
    EXPECT_EQ(kRed + site("assert", line) + "\n1 == two   ~~~Assertion failed.\n" + kReset + kRed +
                  kReset + kRed + site("assert", line + 1) +
                  "\nSNS_SUCCESS == -1   ~~~Assertion failed.\n" + kReset + kRed +
                  "file_name(a.cfg) nSize(7)\n" + kReset,
              testing::internal::GetCapturedStdout());
    EXPECT_EQ((Records{site("assert", line), "[sensor assert] 1 == two   ~~~Assertion failed.",
                       "[sensor assert] ", site("assert", line + 1),
                       "[sensor assert] SNS_SUCCESS == -1   ~~~Assertion failed.",
                       "[sensor assert] file_name(a.cfg) nSize(7)"}),
              logged());
    EXPECT_EQ(3, two) << "the condition is evaluated once";
}

TEST_F(SensorDebugTest, PrintsCarryTheirColourAndOnlyTheWarningIsLoggedAsTwoRecords) {
    setSign("6\n0\n");
    testing::internal::CaptureStdout();
    int line = __LINE__ + 1;
    SNS_WARN(0, "check the sensor version, local(%u)\n", 7u);
    SNS_DBG(35, "a%d\n", 1);
    SNS_ERR(0, "b\n");
    SNS_PRINT(32, "not find (%d) \n", 12);
    EXPECT_EQ("\033[0m\033[0m" + site("warn", line) + "\ncheck the sensor version, local(7)\n" +
                  kReset + "\033[0m\033[35m" + site("dbg", line + 1) + "\na1\n" + kReset +
                  "\033[0m\033[0m" + site("err", line + 2) + "\nb\n" + kReset +
                  "\033[0m\033[32mnot find (12) \n" + kReset,
              testing::internal::GetCapturedStdout());
    EXPECT_EQ((Records{site("warn", line), "[sensor warn] check the sensor version, local(7)"}),
              logged());
}

TEST_F(SensorDebugTest, LongLogRecordIsCutToItsBuffer) {
    std::string huge(5000, 'x');
    std::string out = stdoutOf([&] { SNS_ASSERT(false, "%s\n", huge.c_str()); });
    EXPECT_TRUE(contains(out, huge)) << "the console gets the whole text";
    Records records = logged();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("[sensor assert] " + std::string(SNS_LOG_RECORD_MAX - 1, 'x'), records[2]);
}

// Forked, so that the child reports into this test's root.
using SensorDebugDeathTest = SensorDebugTest;

TEST_F(SensorDebugDeathTest, EnabledAbortEndsTheProcessAfterTheReportIsLogged) {
    GTEST_FLAG_SET(death_test_style, "fast");
    setSign("6\n1\n");
    EXPECT_DEATH(SNS_ASSERT(1 == 2, "why\n"), "Assertion `bRet' failed");
    Records records = logged();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("[sensor assert] why", records[2]);
}

TEST_F(SensorDebugDeathTest, NegativeLevelStillAborts) {
    GTEST_FLAG_SET(death_test_style, "fast");
    setSign("-1\n1\n");
    EXPECT_DEATH(SNS_ASSERT(1 == 2),
                 "sensor_debug_test.cpp:[0-9]+: .*TestBody.*Assertion `bRet' failed");
}

}  // namespace
