// The parameter and version files as the camera's disk holds them: their exact
// bytes, what a short or missing file leaves in memory, the reports a failure
// prints, and that a save replaces a file whole or not at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdint.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/SandboxRoot.h"
#include "fixtures/Watchdog.h"
#include "sensor/SensorFile.h"
#include "sensor/SensorKeyVal.h"
#include "support/SensorDebug.h"

namespace {

typedef std::vector<std::string> Names;

char g_szScheme0[] = "/mnt/mtd/code/config_file/sensor0.cfg";
char g_szBlob[] = "/mnt/mtd/code/config_file/blob.bin";
const char kConfigDir[] = "/mnt/mtd/code/config_file";
const char kVersion[] = "/mnt/mtd/code/config_file/snsversion.cfg";

std::vector<KeyVal> pattern(u32 count, int32_t seed) {
    std::vector<KeyVal> records(count);
    for (u32 i = 0; i < count; ++i) {
        records[i] = KeyVal{8000 + i, seed * 100000 - static_cast<int32_t>(i) * 7};
    }
    return records;
}

// Records as the file holds them: key, then value, each little-endian.
std::string fileBytes(const std::vector<KeyVal>& records) {
    std::string bytes;
    for (const KeyVal& r : records) {
        for (uint32_t word : {r.key, static_cast<uint32_t>(r.value)}) {
            for (int b = 0; b < 4; ++b) {
                bytes += static_cast<char>((word >> (8 * b)) & 0xff);
            }
        }
    }
    return bytes;
}

std::string memoryBytes(const std::vector<KeyVal>& records) {
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * 8);
}

// A forked writer must not mix its reports into the test's output.
void silenceChild() {
    int fd = open("/dev/null", O_WRONLY);
    dup2(fd, STDOUT_FILENO);
}

// The three writers, with what each returns when its file cannot be opened.
struct Writer {
    const char* target;
    int (*save)();
    int failure;
};
KeyVal g_stTwo[2] = {{1, 2}, {3, 4}};
// clang-format off
const Writer kWriters[] = {
    {g_szBlob,    [] { return saveToFile(g_szBlob, &std::string("data")[0], 4); }, 0},
    {kVersion,    [] { return setVersion(8); },                                   -1},
    {g_szScheme0, [] { return keyValToFile(g_szScheme0, g_stTwo, 2); },           -1}};
// clang-format on
const Writer& kBlob = kWriters[0];

class ParamFilesTest : public SandboxRoot {
  protected:
    Names configFiles() const { return dirEntries(hostPath(kConfigDir)); }
};

TEST_F(ParamFilesTest, SavesWriteWholeLittleEndianFilesAndLeaveNoTemporaries) {
    std::vector<KeyVal> records = {{8000, 0}, {34, -2}, {0x01020304u, 0x7fffffff}};
    std::vector<KeyVal> back = {{8000, 1}, {34, 1}, {0x01020304u, 1}};
    char hello[] = "hello";
    std::string out = stdoutOf([&] {
        EXPECT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, back.data(), 3));
        EXPECT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, records.data(), 3));
        EXPECT_EQ(SNS_SUCCESS, keyValFromFile(g_szScheme0, back.data(), 3));
        EXPECT_EQ(0, setVersion(8));
        EXPECT_EQ(std::string("\x08\0\0\0", 4), readFile(kVersion));
        EXPECT_EQ(0, setVersion(0x01020304u));
        EXPECT_EQ(5, saveToFile(g_szBlob, hello, 5));
        EXPECT_EQ(2, saveToFile(g_szBlob, hello + 3, 2));
    });
    EXPECT_EQ("", out);
    EXPECT_EQ(std::string("\x40\x1f\0\0\0\0\0\0\x22\0\0\0\xfe\xff\xff\xff"
                          "\x04\x03\x02\x01\xff\xff\xff\x7f",
                          24),
              readFile(g_szScheme0));
    EXPECT_EQ(memoryBytes(records), memoryBytes(back));
    EXPECT_EQ("\x04\x03\x02\x01", readFile(kVersion));
    EXPECT_EQ("lo", readFile(g_szBlob));
    EXPECT_EQ((Names{"blob.bin", "sensor0.cfg", "snsversion.cfg"}), configFiles());
}

TEST_F(ParamFilesTest, ShortFileIsReadAsFarAsItGoesAndReported) {
    for (int extra : {3, 0, -1, -8}) {  // a file of 8n+3, 8n, 8n-1 and 8n-8 bytes; n = 5
        const int size = 40 + extra;
        std::string onDisk = fileBytes(pattern(6, 1)).substr(0, static_cast<size_t>(size));
        writeFile(g_szScheme0, onDisk);
        std::vector<KeyVal> memory = pattern(5, 2);
        std::string before = memoryBytes(memory);
        std::string out = stdoutOf(
            [&] { EXPECT_EQ(SNS_SUCCESS, keyValFromFile(g_szScheme0, memory.data(), 5)); });
        // Only whole records: a cut record is never mixed into a value.
        size_t read = std::min<size_t>(onDisk.size(), 40) / 8 * 8;
        EXPECT_EQ(onDisk.substr(0, read) + before.substr(read), memoryBytes(memory)) << size;
        std::string report = failed("nSize == sizeof(KeyVal)*p_nKeyValNum") + kReset + kRed +
                             "file_name(/mnt/mtd/code/config_file/sensor0.cfg) nSize(" +
                             std::to_string(size) + ") sizeof(KeyVal) = 8, p_nKeyValNum(5)\n" +
                             kReset;
        EXPECT_EQ(extra < 0, contains(out, report)) << out;
        EXPECT_EQ(size % 8 != 0, contains(out, "bytes of a record, ignored")) << out;
    }
}

TEST_F(ParamFilesTest, MissingFilesAreReportedAndLeaveTheArrayOrGiveLengthZero) {
    std::vector<KeyVal> memory = pattern(4, 3);
    std::string before = memoryBytes(memory);
    std::string out =
        stdoutOf([&] { EXPECT_EQ(SNS_SUCCESS, keyValFromFile(g_szScheme0, memory.data(), 4)); });
    EXPECT_EQ(before, memoryBytes(memory));
    EXPECT_TRUE(contains(out, failed("file.open(file_name)") + kReset + kRed +
                                  "file_name(/mnt/mtd/code/config_file/sensor0.cfg)\n"));
    out = stdoutOf([] { EXPECT_EQ(0, getFileLen("/mnt/mtd/none.bin")); });
    EXPECT_TRUE(contains(out, failed("file.open(file_name)") + kReset + kRed +
                                  "file_name(/mnt/mtd/none.bin)" + kReset));
    writeFile("/mnt/mtd/thirteen.bin", "thirteen byte");
    EXPECT_EQ("", stdoutOf([] { EXPECT_EQ(13, getFileLen("/mnt/mtd/thirteen.bin")); }));
}

// What is no regular file at a file's path is read as a file that cannot be
// opened: a FIFO without a writer would block the open for ever.
TEST_F(ParamFilesTest, FifoOrDirectoryInAFilesPlaceReadsAsUnopenable) {
    Watchdog watchdog(10, "reading a FIFO in a parameter file's place");
    const std::string path = hostPath(g_szScheme0);
    for (bool fifo : {true, false}) {
        removeTree(path);
        writeFile(g_szScheme0, "");  // the directory
        removeTree(path);
        ASSERT_EQ(0, fifo ? mkfifo(path.c_str(), 0644) : mkdir(path.c_str(), 0755));
        std::vector<KeyVal> memory = pattern(4, 3);
        std::string before = memoryBytes(memory);
        char buffer[8] = {0};
        std::string out = stdoutOf([&] {
            EXPECT_EQ(SNS_SUCCESS, keyValFromFile(g_szScheme0, memory.data(), 4));
            EXPECT_EQ(-1, loadFromFile(g_szScheme0, buffer, 8));
            EXPECT_EQ(0, getFileLen(g_szScheme0));
        });
        EXPECT_EQ(before, memoryBytes(memory)) << fifo;
        EXPECT_TRUE(contains(out, failed("file.open(file_name)"))) << out;
    }
}

TEST_F(ParamFilesTest, LoadFromFileReturnsTheCountReadAndFailsSilently) {
    writeFile("/mnt/mtd/data.bin", "hello");
    // The file, the length asked for and the result.
    const struct {
        const char* name;
        INT64 length;
        int result;
    } cases[] = {{"/mnt/mtd/data.bin", 0, 0},  {"/mnt/mtd/data.bin", 3, 3},
                 {"/mnt/mtd/data.bin", 5, 5},  {"/mnt/mtd/data.bin", 6, -1},
                 {"/mnt/mtd/none.bin", 4, -1}, {"/mnt/mtd/data.bin", -1, -1}};
    for (const auto& c : cases) {
        char buffer[8];
        memset(buffer, 'Z', sizeof(buffer));
        EXPECT_EQ("",
                  stdoutOf([&] { EXPECT_EQ(c.result, loadFromFile(c.name, buffer, c.length)); }));
        if (c.result >= 0) {  // filled to the length and not terminated
            EXPECT_EQ(std::string("hello", c.result) + std::string(8 - c.result, 'Z'),
                      std::string(buffer, 8));
        }
    }
}

TEST_F(ParamFilesTest, VersionNeedsFourBytesAndIgnoresTheRest) {
    // The version file's bytes (null: none), the result and the version read.
    const struct {
        const char* bytes;
        size_t size;
        int result;
        u32 version;
    } cases[] = {{nullptr, 0, -1, 0xdeadbeef},
                 {"", 0, -1, 0},
                 {"\x08\0\0", 3, -1, 0},
                 {"\x08\0\0\0", 4, 0, 8},
                 {"\x2a\0\0\0\x01\x02", 6, 0, 42}};
    for (const auto& c : cases) {
        if (c.bytes) {
            writeFile(kVersion, std::string(c.bytes, c.size));
        }
        u32 version = 0xdeadbeef;
        EXPECT_EQ("", stdoutOf([&] { EXPECT_EQ(c.result, getVersion(&version)); }));
        if (c.result == 0 || !c.bytes) {  // a short file's bytes are not promised
            EXPECT_EQ(c.version, version) << c.size;
        }
    }
}

TEST_F(ParamFilesTest, FailedSavesAreReportedAndLeaveWhatWasThere) {
    writeFile(kConfigDir, "not a directory");
    for (const Writer& w : kWriters) {
        std::string out = stdoutOf([&] { EXPECT_EQ(w.failure, w.save()) << w.target; });
        EXPECT_TRUE(contains(out, failed("file.open(file_name, TXFile::modeWrite | "
                                         "TXFile::modeTruncate)") +
                                      kReset + kRed + "file_name(" + w.target + ")\n" + kReset));
    }
    EXPECT_EQ(Names{"config_file"}, dirEntries(hostPath("/mnt/mtd/code")));
    EXPECT_EQ("not a directory", readFile(kConfigDir));
    removeTree(hostPath(kConfigDir));
    for (const Writer& w : kWriters) {
        writeFile(std::string(w.target) + "/keep", "kept");
        std::string out = stdoutOf([&] { EXPECT_EQ(w.failure, w.save()) << w.target; });
        EXPECT_TRUE(contains(out, "[sensor assert]")) << w.target;
        EXPECT_EQ(Names{"keep"}, dirEntries(hostPath(w.target)));
    }
    EXPECT_EQ((Names{"blob.bin", "sensor0.cfg", "snsversion.cfg"}), configFiles());
}

TEST_F(ParamFilesTest, FailedWriteKeepsThePreviousFiles) {
    std::vector<KeyVal> old = pattern(100, 1);
    ASSERT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, old.data(), 100));
    ASSERT_EQ(4, kBlob.save());
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        // The file-size limit makes every write past 4 KiB fail.
        silenceChild();
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<KeyVal> big = pattern(20000, 2);
        keyValToFile(g_szScheme0, big.data(), 20000);
        _exit(saveToFile(g_szBlob, reinterpret_cast<char*>(big.data()), 160000) == 160000);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the oversized save succeeded";
    EXPECT_EQ(fileBytes(old), readFile(g_szScheme0));
    EXPECT_EQ("data", readFile(g_szBlob));
    EXPECT_EQ((Names{"blob.bin", "sensor0.cfg"}), configFiles());
}

TEST_F(ParamFilesTest, WriterKilledMidWriteLeavesTheOldOrTheNewFileWhole) {
    std::vector<KeyVal> a = pattern(20000, 1), b = pattern(20000, 2);
    const std::string bytesA = fileBytes(a), bytesB = fileBytes(b);
    ASSERT_EQ(SNS_SUCCESS, keyValToFile(g_szScheme0, a.data(), 20000));
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int round = 0; round < 20; ++round) {
        pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            silenceChild();
            for (;;) {
                keyValToFile(g_szScheme0, b.data(), 20000);
                keyValToFile(g_szScheme0, a.data(), 20000);
            }
        }
        // Reading it a random number of times, which must each find it whole,
        // varies the moment of the kill.
        int torn = 0;
        for (int reads = static_cast<int>(random() % 40); reads >= 0; --reads) {
            std::string now = readFile(g_szScheme0);
            torn += now != bytesA && now != bytesB;
        }
        kill(child, SIGKILL);
        ASSERT_EQ(child, waitpid(child, nullptr, 0));
        std::string now = readFile(g_szScheme0);
        ASSERT_TRUE(torn == 0 && (now == bytesA || now == bytesB))
            << "round " << round << ": " << torn << " torn reads, " << now.size() << " bytes";
    }
}

}  // namespace
