// The assertion and debug log as an operator sees it: bytes on standard
// output and records of the error log, steered by the sign file.
#include <ctype.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "support/SensorDebug.h"

namespace {

const char kLog[] = "/mnt/mtd/log/SensorError.log";
const std::string kRed = "\033[0m\033[31m";
const std::string kReset = "\033[0m";
const size_t kStampLen = 20;  // "YYYY-MM-DD HH:MM:SS "

bool hasTimeStamp(const std::string& line) {
    const std::string shape = "dddd-dd-dd dd:dd:dd ";
    if (line.size() < shape.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        bool digit = isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (shape[i] == 'd' ? !digit : line[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

class SensorDebugTest : public SandboxRoot {
  protected:
    // The log's records without their time stamps.
    std::vector<std::string> logRecords() const {
        std::vector<std::string> records;
        std::string text = readFile(kLog);
        std::string::size_type start = 0;
        while (start < text.size()) {
            std::string::size_type end = text.find('\n', start);
            std::string line = text.substr(start, end - start);
            EXPECT_TRUE(hasTimeStamp(line)) << line;
            records.push_back(line.size() >= kStampLen ? line.substr(kStampLen) : line);
            start = end == std::string::npos ? text.size() : end + 1;
        }
        return records;
    }
};

std::string siteLine(const char* tag, int line) {
    return std::string(tag) +
           " file:sensor_debug_test.cpp fun:TestBody line:" + std::to_string(line) + "\n";
}

}  // namespace

struct SignCase {
    const char* sign;  // nullptr: no sign file
    int level;
    bool abort;
};

class SignFileTest : public SensorDebugTest, public ::testing::WithParamInterface<SignCase> {};

TEST_P(SignFileTest, SetsLevelAndAbortSwitch) {
    g_nDebugLevel = 42;
    g_bEnAssert = true;
    if (GetParam().sign) {
        setSign(GetParam().sign);
    }
    updateDebugLevel();
    EXPECT_EQ(GetParam().level, g_nDebugLevel.load());
    EXPECT_EQ(GetParam().abort, g_bEnAssert.load());
}

INSTANTIATE_TEST_SUITE_P(Matrix, SignFileTest,
                         ::testing::Values(SignCase{nullptr, 1, false}, SignCase{"6\n1\n", 6, true},
                                           SignCase{"\n1\n", 1, true}, SignCase{"6", 6, false},
                                           SignCase{"6\n", 6, false}, SignCase{"-1\n1\n", -1, true},
                                           SignCase{"7\r\n0\r\n", 7, false}, SignCase{"", 1, false},
                                           SignCase{"abc\n2\n", 0, true}));

TEST_F(SensorDebugTest, FailedAssertionWithoutDetailPrintsAndLogsThreeRecords) {
    int two = 2;
    testing::internal::CaptureStdout();
    int line = __LINE__ + 1;
    bool held = SNS_ASSERT(1 == two);
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_FALSE(held);
    EXPECT_EQ(kRed + siteLine("[sensor assert]", line) + "1 == two   ~~~Assertion failed.\n" +
                  kReset + kRed + kReset,
              out);
    std::vector<std::string> expected = {
        "[sensor assert] file:sensor_debug_test.cpp fun:TestBody line:" + std::to_string(line),
        "[sensor assert] 1 == two   ~~~Assertion failed.", "[sensor assert] "};
    EXPECT_EQ(expected, logRecords());
}

TEST_F(SensorDebugTest, FailedAssertionPrintsItsDetail) {
    testing::internal::CaptureStdout();
    SNS_ASSERT(SNS_SUCCESS == -1, "file_name(%s) nSize(%d)\n", "a.cfg", 7);
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(std::string::npos, out.find("SNS_SUCCESS == -1   ~~~Assertion failed.\n"));
    EXPECT_NE(std::string::npos, out.find(kRed + "file_name(a.cfg) nSize(7)\n" + kReset));
    ASSERT_EQ(3u, logRecords().size());
    EXPECT_EQ("[sensor assert] file_name(a.cfg) nSize(7)", logRecords()[2]);
}

TEST_F(SensorDebugTest, HoldingConditionReportsNothing) {
    int calls = 0;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(SNS_ASSERT(++calls == 1, "never %d\n", 1));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(1, calls) << "the condition is evaluated exactly once";
    EXPECT_FALSE(exists(kLog));
}

TEST_F(SensorDebugTest, DefaultLevelShowsAssertionsOnly) {
    testing::internal::CaptureStdout();
    SNS_WARN(0, "warn\n");
    SNS_DBG(0, "dbg\n");
    SNS_ERR(0, "err\n");
    SNS_INFO(0, "info\n");
    SNS_PRINT(0, "plain\n");
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_FALSE(exists(kLog));
}

TEST_F(SensorDebugTest, WarningFromLevelFourIsPrintedAndLoggedAsTwoRecords) {
    setSign("4\n");
    testing::internal::CaptureStdout();
    int line = __LINE__ + 1;
    SNS_WARN(0, "check the sensor version, local(%u)\n", 7u);
    SNS_DBG(0, "dbg\n");
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ("\033[0m\033[0m" + siteLine("[sensor warn]", line) +
                  "check the sensor version, local(7)\n" + kReset,
              out);
    std::vector<std::string> expected = {
        "[sensor warn] file:sensor_debug_test.cpp fun:TestBody line:" + std::to_string(line),
        "[sensor warn] check the sensor version, local(7)"};
    EXPECT_EQ(expected, logRecords());
}

TEST_F(SensorDebugTest, LevelSixShowsDebugErrorAndPlainPrintsWithoutLogging) {
    setSign("6\n0\n");
    testing::internal::CaptureStdout();
    int line = __LINE__ + 1;
    SNS_DBG(35, "a%d\n", 1);
    SNS_ERR(0, "b\n");
    SNS_PRINT(32, "not find (%d) \n", 12);
    SNS_INFO(0, "hidden\n");
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ("\033[0m\033[35m" + siteLine("[sensor dbg]", line) + "a1\n" + kReset +
                  "\033[0m\033[0m" + siteLine("[sensor err]", line + 1) + "b\n" + kReset +
                  "\033[0m\033[32mnot find (12) \n" + kReset,
              out);
    EXPECT_FALSE(exists(kLog));
}

TEST_F(SensorDebugTest, LevelSevenAddsInformation) {
    setSign("7\n");
    testing::internal::CaptureStdout();
    SNS_INFO(0, "%s\n", "<Style/>");
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(
                                     "[sensor info] file:sensor_debug_test.cpp"));
}

TEST_F(SensorDebugTest, NegativeLevelSilencesEverything) {
    setSign("-1\n");
    testing::internal::CaptureStdout();
    SNS_ASSERT(false, "detail\n");
    SNS_WARN(0, "warn\n");
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_FALSE(exists(kLog));
}

TEST_F(SensorDebugTest, SilencedPrintEvaluatesNoArgument) {
    int evaluated = 0;
    SNS_DBG(0, "%d\n", ++evaluated);
    SNS_PRINT(0, "%d\n", ++evaluated);
    EXPECT_EQ(0, evaluated);
}

TEST_F(SensorDebugTest, LongLogRecordIsCutToItsBuffer) {
    std::string huge(5000, 'x');
    testing::internal::CaptureStdout();
    SNS_ASSERT(false, "%s\n", huge.c_str());
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(std::string::npos, out.find(huge)) << "the console gets the whole text";
    std::vector<std::string> records = logRecords();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("[sensor assert] " + std::string(SNS_LOG_RECORD_MAX - 1, 'x'), records[2]);
}

TEST_F(SensorDebugTest, LevelIsReadAgainBeforeEveryReport) {
    testing::internal::CaptureStdout();
    SNS_DBG(0, "first\n");
    setSign("6\n");
    SNS_DBG(0, "second\n");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::string::npos, out.find("first"));
    EXPECT_NE(std::string::npos, out.find("second"));
}

using SensorDebugDeathTest = SensorDebugTest;

TEST_F(SensorDebugDeathTest, EnabledAbortEndsTheProcessAfterTheReport) {
    // Forked, so that the child reports into this test's root.
    GTEST_FLAG_SET(death_test_style, "fast");
    setSign("6\n1\n");
    EXPECT_DEATH(SNS_ASSERT(1 == 2, "why\n"), "Assertion `bRet' failed");
    std::vector<std::string> records = logRecords();
    ASSERT_EQ(3u, records.size()) << "the report is logged before the abort";
    EXPECT_EQ("[sensor assert] why", records[2]);
}

TEST_F(SensorDebugDeathTest, NegativeLevelStillAborts) {
    GTEST_FLAG_SET(death_test_style, "fast");
    setSign("-1\n1\n");
    EXPECT_DEATH(SNS_ASSERT(1 == 2),
                 "sensor_debug_test.cpp:[0-9]+: .*TestBody.*Assertion `bRet' failed");
}
