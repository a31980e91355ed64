// The parameter and version files as the camera's disk holds them: their exact
// bytes, what a short or missing file leaves in memory, the reports a failure
// prints, and that a save replaces a file whole or not at all.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdint.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "sensor/SensorFile.h"
#include "sensor/SensorKeyVal.h"
#include "support/SensorDebug.h"

namespace {

char g_szScheme0[] = "/mnt/mtd/code/config_file/sensor0.cfg";
char g_szBlob[] = "/mnt/mtd/code/config_file/blob.bin";
const char kConfigDir[] = "/mnt/mtd/code/config_file";
const char kVersion[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const std::string kRed = "\033[0m\033[31m";
const std::string kReset = "\033[0m";

std::string failed(const std::string& condition) {
    return condition + "   ~~~Assertion failed.\n";
}

std::vector<KeyVal> pattern(u32 count, int32_t seed) {
    std::vector<KeyVal> records(count);
    for (u32 i = 0; i < count; ++i) {
        records[i].key = 8000 + i;
        records[i].value = seed * 100000 - static_cast<int32_t>(i) * 7;
    }
    return records;
}

void put32(std::string& bytes, uint32_t word) {
    for (int b = 0; b < 4; ++b) {
        bytes += static_cast<char>((word >> (8 * b)) & 0xff);
    }
}

// Records as the file holds them: key, then value, each little-endian.
std::string fileBytes(const std::vector<KeyVal>& records) {
    std::string bytes;
    for (const KeyVal& r : records) {
        put32(bytes, r.key);
        put32(bytes, static_cast<uint32_t>(r.value));
    }
    return bytes;
}

std::string memoryBytes(const std::vector<KeyVal>& records) {
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * 8);
}

template <typename F>
std::string stdoutOf(F call) {
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}

// A forked writer must not mix its reports into the test's output.
void silenceChild() {
    int fd = open("/dev/null", O_WRONLY);
    if (fd >= 0) {
        dup2(fd, STDOUT_FILENO);
        close(fd);
    }
}

class ParamFilesTest : public SandboxRoot {
  protected:
    std::vector<std::string> listDir(const std::string& cameraDir) const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(hostPath(cameraDir).c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

TEST_F(ParamFilesTest, RecordsAreWrittenLittleEndianWithoutHeaderAndReadBack) {
    std::vector<KeyVal> records = {{8000, 0}, {34, -2}, {0x01020304u, 0x7fffffff}};
    std::string out =
        stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, records.data(), 3)); });
    const std::string expected(
        "\x40\x1f\0\0"
        "\0\0\0\0"
        "\x22\0\0\0"
        "\xfe\xff\xff\xff"
        "\x04\x03\x02\x01"
        "\xff\xff\xff\x7f",
        24);
    EXPECT_EQ(expected, readFile(g_szScheme0));

    std::vector<KeyVal> back(3, KeyVal{1, 1});
    out += stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, keyValFromFile(g_szScheme0, back.data(), 3)); });
    EXPECT_EQ(memoryBytes(records), memoryBytes(back));
    EXPECT_EQ("", out);
}

class FileLengthTest : public ParamFilesTest, public ::testing::WithParamInterface<int> {};

TEST_P(FileLengthTest, ReadsAsFarAsTheFileGoesAndReportsAShortOne) {
    const u32 n = 5;
    const int size = 8 * static_cast<int>(n) + GetParam();
    std::string full = fileBytes(pattern(n + 1, 1));
    std::string onDisk = full.substr(0, static_cast<size_t>(size));
    writeFile(g_szScheme0, onDisk);
    std::vector<KeyVal> memory = pattern(n, 2);
    std::string before = memoryBytes(memory);

    std::string out =
        stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, keyValFromFile(g_szScheme0, memory.data(), n)); });
    size_t read = std::min<size_t>(onDisk.size(), 8 * n);
    EXPECT_EQ(onDisk.substr(0, read) + before.substr(read), memoryBytes(memory));
    if (GetParam() >= 0) {
        EXPECT_EQ("", out);
    } else {
        EXPECT_NE(std::string::npos, out.find(failed("nSize == sizeof(KeyVal)*p_nKeyValNum")));
        EXPECT_NE(
            std::string::npos,
            out.find(kRed + "file_name(/mnt/mtd/code/config_file/sensor0.cfg) nSize(" +
                     std::to_string(size) + ") sizeof(KeyVal) = 8, p_nKeyValNum(5)\n" + kReset));
    }
}

INSTANTIATE_TEST_SUITE_P(ParamFiles, FileLengthTest, ::testing::Values(3, 0, -1, -8));

TEST_F(ParamFilesTest, MissingParameterFileIsReportedAndLeavesTheArray) {
    std::vector<KeyVal> memory = pattern(4, 3);
    std::string before = memoryBytes(memory);
    std::string out =
        stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, keyValFromFile(g_szScheme0, memory.data(), 4)); });
    EXPECT_EQ(before, memoryBytes(memory));
    EXPECT_NE(std::string::npos, out.find(failed("file.open(file_name)") + kReset + kRed +
                                          "file_name(/mnt/mtd/code/config_file/sensor0.cfg)\n"));
}

struct LoadCase {
    const char* content;  // nullptr: no file
    INT64 length;
    int result;
};

class LoadFromFileTest : public ParamFilesTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadFromFileTest, ReturnsTheCountReadAndFailsSilently) {
    const LoadCase& c = GetParam();
    if (c.content) {
        writeFile("/mnt/mtd/data.bin", c.content);
    }
    char buffer[8];
    memset(buffer, 'Z', sizeof(buffer));
    std::string out =
        stdoutOf([&] { EXPECT_EQ(c.result, loadFromFile("/mnt/mtd/data.bin", buffer, c.length)); });
    EXPECT_EQ("", out);
    if (c.result >= 0) {
        EXPECT_EQ(std::string(c.content, c.result) + std::string(8 - c.result, 'Z'),
                  std::string(buffer, 8))
            << "the buffer is filled to the length and not terminated";
    }
}

INSTANTIATE_TEST_SUITE_P(ParamFiles, LoadFromFileTest,
                         ::testing::Values(LoadCase{"hello", 0, 0}, LoadCase{"hello", 3, 3},
                                           LoadCase{"hello", 5, 5}, LoadCase{"hello", 6, -1},
                                           LoadCase{nullptr, 4, -1}, LoadCase{"hello", -1, -1}));

TEST_F(ParamFilesTest, FileLengthOfAMissingFileIsReportedAsZero) {
    writeFile("/mnt/mtd/thirteen.bin", "thirteen byte");
    EXPECT_EQ("", stdoutOf([] { EXPECT_EQ(13, getFileLen("/mnt/mtd/thirteen.bin")); }));
    std::string out = stdoutOf([] { EXPECT_EQ(0, getFileLen("/mnt/mtd/none.bin")); });
    EXPECT_NE(std::string::npos, out.find(failed("file.open(file_name)")));
    EXPECT_NE(std::string::npos, out.find(kRed + "file_name(/mnt/mtd/none.bin)" + kReset));
}

TEST_F(ParamFilesTest, SaveCreatesDirectoriesAndReturnsTheBytesWritten) {
    char name[] = "/mnt/mtd/deep/a/b/data.bin";
    char hello[] = "hello";
    std::string out = stdoutOf([&] {
        EXPECT_EQ(5, saveToFile(name, hello, 5));
        EXPECT_EQ(2, saveToFile(name, hello + 3, 2));
    });
    EXPECT_EQ("lo", readFile(name)) << "a save replaces the whole file";
    EXPECT_EQ("", out);
}

struct VersionCase {
    const char* content;  // nullptr: no version file
    size_t size;
    int result;
    u32 version;  // for a failure: the variable as it was
};

class GetVersionTest : public ParamFilesTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(GetVersionTest, NeedsFourBytesAndIgnoresTheRest) {
    const VersionCase& c = GetParam();
    if (c.content) {
        writeFile(kVersion, std::string(c.content, c.size));
    }
    u32 version = 0xdeadbeef;
    EXPECT_EQ("", stdoutOf([&] { EXPECT_EQ(c.result, getVersion(&version)); }));
    if (c.result == 0 || !c.content) {
        EXPECT_EQ(c.version, version);
    }
}

INSTANTIATE_TEST_SUITE_P(ParamFiles, GetVersionTest,
                         ::testing::Values(VersionCase{nullptr, 0, -1, 0xdeadbeef},
                                           VersionCase{"", 0, -1, 0},
                                           VersionCase{"\x08\0\0", 3, -1, 0},
                                           VersionCase{"\x08\0\0\0", 4, 0, 8},
                                           VersionCase{"\x2a\0\0\0\x01\x02", 6, 0, 42}));

TEST_F(ParamFilesTest, SetVersionWritesExactlyFourLittleEndianBytes) {
    EXPECT_EQ(0, setVersion(8));
    EXPECT_EQ(std::string("\x08\0\0\0", 4), readFile(kVersion));
    EXPECT_EQ(0, setVersion(0x01020304u));
    EXPECT_EQ("\x04\x03\x02\x01", readFile(kVersion));
    u32 version = 0;
    EXPECT_EQ(0, getVersion(&version));
    EXPECT_EQ(0x01020304u, version);
}

struct Writer {
    const char* name;
    const char* target;
    int (*save)();
    int result;
};

int saveBlob() {
    char data[] = "data";
    return saveToFile(g_szBlob, data, 4);
}
int saveVersion() {
    return setVersion(8);
}
int saveScheme() {
    KeyVal records[2] = {{1, 2}, {3, 4}};
    return keyValToFile(g_szScheme0, records, 2);
}

const Writer kWriters[] = {{"saveToFile", g_szBlob, saveBlob, 0},
                           {"setVersion", kVersion, saveVersion, -1},
                           {"keyValToFile", g_szScheme0, saveScheme, SNS_SUCCESS}};

TEST_F(ParamFilesTest, SaveBelowARegularFileIsReportedAndLeavesNothing) {
    writeFile(kConfigDir, "not a directory");
    for (const Writer& w : kWriters) {
        SCOPED_TRACE(w.name);
        std::string out = stdoutOf([&] { EXPECT_EQ(w.result, w.save()); });
        EXPECT_NE(
            std::string::npos,
            out.find(failed("file.open(file_name, TXFile::modeWrite | TXFile::modeTruncate)")));
        EXPECT_NE(std::string::npos, out.find(kRed + "file_name(" + w.target + ")\n" + kReset));
        EXPECT_EQ(std::vector<std::string>{"config_file"}, listDir("/mnt/mtd/code"));
        EXPECT_EQ("not a directory", readFile(kConfigDir));
    }
}

TEST_F(ParamFilesTest, SaveOverADirectoryIsReportedAndLeavesItAsItWas) {
    for (const Writer& w : kWriters) {
        SCOPED_TRACE(w.name);
        writeFile(std::string(w.target) + "/keep", "kept");
        std::string out = stdoutOf([&] { EXPECT_EQ(w.result, w.save()); });
        EXPECT_NE(std::string::npos, out.find("[sensor assert]"));
        EXPECT_EQ(std::vector<std::string>{"keep"}, listDir(w.target));
        EXPECT_EQ("kept", readFile(std::string(w.target) + "/keep"));
    }
    EXPECT_EQ((std::vector<std::string>{"blob.bin", "sensor0.cfg", "snsversion.cfg"}),
              listDir(kConfigDir));
}

TEST_F(ParamFilesTest, SuccessfulSavesLeaveNoTemporaryFiles) {
    std::vector<KeyVal> records = pattern(50, 1);
    EXPECT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, records.data(), 50));
    EXPECT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, records.data(), 50));
    EXPECT_EQ(0, setVersion(8));
    EXPECT_EQ(4, saveBlob());
    EXPECT_EQ((std::vector<std::string>{"blob.bin", "sensor0.cfg", "snsversion.cfg"}),
              listDir(kConfigDir));
}

TEST_F(ParamFilesTest, FailedWriteKeepsThePreviousFiles) {
    std::vector<KeyVal> old = pattern(100, 1);
    ASSERT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, old.data(), 100));
    ASSERT_EQ(4, saveBlob());
    pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        // The file-size limit makes every write past 4 KiB fail.
        silenceChild();
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<KeyVal> big = pattern(20000, 2);
        keyValToFile(g_szScheme0, big.data(), 20000);
        int saved = saveToFile(g_szBlob, reinterpret_cast<char*>(big.data()), 160000);
        _exit(saved == 160000 ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(0, WEXITSTATUS(status)) << "the oversized save reported success";
    EXPECT_EQ(fileBytes(old), readFile(g_szScheme0));
    EXPECT_EQ("data", readFile(g_szBlob));
    EXPECT_EQ((std::vector<std::string>{"blob.bin", "sensor0.cfg"}), listDir(kConfigDir));
}

TEST_F(ParamFilesTest, WriterKilledMidWriteLeavesTheOldOrTheNewFileWhole) {
    const u32 n = 20000;
    std::vector<KeyVal> a = pattern(n, 1);
    std::vector<KeyVal> b = pattern(n, 2);
    const std::string bytesA = fileBytes(a);
    const std::string bytesB = fileBytes(b);
    ASSERT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, a.data(), n));

    std::random_device device;
    const unsigned seed = device();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 8000);
    for (int round = 0; round < 20; ++round) {
        pid_t child = ::fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            silenceChild();
            for (;;) {
                keyValToFile(g_szScheme0, b.data(), n);
                keyValToFile(g_szScheme0, a.data(), n);
            }
        }
        usleep(static_cast<useconds_t>(delayUs(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        std::string now = readFile(g_szScheme0);
        ASSERT_TRUE(now == bytesA || now == bytesB)
            << "round " << round << ": " << now.size() << " bytes, neither pattern";
    }
}
