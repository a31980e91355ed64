// The module's files as the camera's disk and its other processes meet them:
// the exact bytes of the parameter and version files, what a short, missing or
// irregular file leaves in memory and reports, saves that fail, and links
// planted where a temporary file would go.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "fixtures/ControllerFixture.h"
#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/SchemeSets.h"
#include "fixtures/Watchdog.h"
#include "platform/HostSeams.h"
#include "sensor/SensorFile.h"

namespace {

const char kConfigDir[] = "/mnt/mtd/code/config_file";
char kScheme0[] = "/mnt/mtd/code/config_file/sensor0.cfg";  // the file functions take char*
char kBlob[] = "/mnt/mtd/code/config_file/blob.bin";
const char kVersion[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const std::string kModuleVersion("\x08\0\0\0", 4);  // what init writes to the version file
using FileReplacement = ControllerFixture;

// Records 8000... of one value each, or of values that differ.
KeyVals stamped(int32_t stamp, u32 count, int32_t step) {
    KeyVals records(count);
    for (u32 i = 0; i < count; ++i) records[i] = KeyVal{8000 + i, stamp - int32_t(i) * step};
    return records;
}

TEST_F(FileReplacement, SavesWriteWholeLittleEndianFilesAndLeaveNoTemporaries) {
    KeyVals records = {{8000, 0}, {34, -2}, {0x01020304u, 0x7fffffff}};
    KeyVals back = {{8000, 1}, {34, 1}, {0x01020304u, 1}};
    char hello[] = "hello";
    const mode_t mask = umask(022);  // the directories a save creates are rwxr-xr-x
    EXPECT_EQ("", stdoutOf([&] {     // each answers success: 0, or the bytes written
                  EXPECT_EQ(
                      (std::vector<int>{0, 0, 0, 0, 0, 5, 2}),
                      (std::vector<int>{keyValToFile(kScheme0, back.data(), 3),
                                        keyValToFile(kScheme0, records.data(), 3),
                                        keyValFromFile(kScheme0, back.data(), 3), setVersion(8),
                                        setVersion(0x01020304u), saveToFile(kBlob, hello, 5),
                                        saveToFile(kBlob, hello + 3, 2)}));
              }));
    const char kBytes[] =
        "\x40\x1f\0\0\0\0\0\0\x22\0\0\0\xfe\xff\xff\xff\x04\x03\x02\x01\xff\xff\xff\x7f";
    EXPECT_EQ(std::string(kBytes, 24), readFile(kScheme0));
    EXPECT_EQ(records, back);
    EXPECT_EQ("\x04\x03\x02\x01", readFile(kVersion));
    EXPECT_EQ("lo", readFile(kBlob));
    EXPECT_EQ((std::vector<std::string>{"blob.bin", "sensor0.cfg", "snsversion.cfg"}),
              dirEntries(hostPath(kConfigDir)));
    struct stat st;
    EXPECT_TRUE(stat(hostPath(kConfigDir).c_str(), &st) == 0 && (st.st_mode & 0777) == 0755);
    umask(mask);
    // The next save removes a gone writer's temporary and keeps a running one's.
    const std::string live = "sensor0.cfg.tmp." + std::to_string(getppid()) + ".1";
    writeFile(std::string(kConfigDir) + "/sensor0.cfg.tmp.999999999.1", "gone");
    writeFile(std::string(kConfigDir) + "/" + live, "running");
    EXPECT_EQ(0, keyValToFile(kScheme0, records.data(), 3));
    EXPECT_EQ((std::vector<std::string>{"blob.bin", "sensor0.cfg", live, "snsversion.cfg"}),
              dirEntries(hostPath(kConfigDir)));
}

// A parameter file of 8n+3, 8n, 8n-1 and 8n-8 bytes for a set of n = 5, or
// missing (-1), a FIFO (-2: its open would block for ever) or a directory
// (-3): only whole records are read, and what falls short is reported.
TEST_F(FileReplacement, ShortMissingOrIrregularFilesAreReadAsFarAsTheyGoAndReported) {
    Watchdog watchdog(10, "reading a FIFO in a parameter file's place");
    const std::string path = hostPath(kScheme0);
    for (int size : {43, 40, 39, 32, -1, -2, -3}) {
        SCOPED_TRACE(size);
        removeTree(path);
        const std::string onDisk = encodeSet(stamped(100000, 6, 7)).substr(0, std::max(size, 0));
        if (size >= 0)
            writeFile(kScheme0, onDisk);
        ASSERT_EQ(0, size == -2 ? mkfifo(&path[0], 0644) : size == -3 ? mkdir(&path[0], 0755) : 0);
        KeyVals memory = stamped(200000, 5, 7);
        const std::string before = encodeSet(memory);
        char buffer[40] = {0};
        std::vector<INT64> answers;  // of loadFromFile and getFileLen
        std::string out = stdoutOf([&] {
            keyValFromFile(kScheme0, memory.data(), 5);
            answers = {loadFromFile(kScheme0, buffer, 40), getFileLen(kScheme0)};
        });
        const size_t read = std::min(std::max(size, 0), 40) / 8 * 8;
        EXPECT_EQ(onDisk.substr(0, read) + before.substr(read), encodeSet(memory));
        EXPECT_EQ((std::vector<INT64>{size >= 40 ? 40 : -1, std::max(size, 0)}), answers);
        EXPECT_TRUE(size < 40 || onDisk.substr(0, 40) == std::string(buffer, 40));
        const std::string named = kReset + kRed + "file_name(" + kScheme0 + ")";
        EXPECT_EQ(size < 0 ? 2u : 0u, countOf(out, failed("file.open(file_name)") + named)) << out;
        EXPECT_EQ(size >= 0 && size < 40,
                  contains(out, failed("nSize == sizeof(KeyVal)*p_nKeyValNum") + named + " nSize(" +
                                    std::to_string(size) +
                                    ") sizeof(KeyVal) = 8, p_nKeyValNum(5)\n" + kReset));
        EXPECT_EQ(size % 8 > 0, contains(out, "bytes of a record, ignored"));
    }
    // A version file of 3 bytes is refused; of 6, its first 4 are the version.
    u32 version = 0;
    writeFile(kVersion, std::string("\x08\0\0", 3));
    EXPECT_EQ(-1, getVersion(&version));
    writeFile(kVersion, std::string("*\0\0\0\x01\x02", 6));
    EXPECT_TRUE(getVersion(&version) == 0 && version == 42) << version;
}

// A save that cannot open its file (a plain file where the directory goes),
// cannot replace it (a directory where the file goes) or comes up short
// reports it, answers its failure and leaves what was there.
TEST_F(FileReplacement, FailedSavesAreReportedAndLeaveWhatWasThere) {
    // The target, its save, and what it answers when its file cannot be
    // opened or replaced, when its write comes up short (3 bytes) and when it saves.
    // clang-format off
    const struct { const char* target; std::function<int()> save;
                   int failure, shortWrite, success; } writers[] = {
        {kBlob, [] { return saveToFile(kBlob, &std::string("data")[0], 4); }, 0, 3, 4},
        {kVersion, [] { return setVersion(8); }, -1, -1, 0},
        {kScheme0, [] { return keyValToFile(kScheme0, &KeyVals{{1, 2}, {3, 4}}[0], 2); }, -1, -1, 0}};
    // clang-format on
    for (const auto& w : writers) {
        SCOPED_TRACE(w.target);
        removeTree(hostPath(kConfigDir));
        writeFile(kConfigDir, "not a directory");
        std::string out = stdoutOf([&] { EXPECT_EQ(w.failure, w.save()); });
        const std::string open = "file.open(file_name, TXFile::modeWrite | TXFile::modeTruncate)";
        const std::string report = failed(open) + kReset + kRed + "file_name(" + w.target + ")\n";
        EXPECT_TRUE(contains(out, report + kReset)) << out;
        EXPECT_EQ("not a directory", readFile(kConfigDir));
        removeTree(hostPath(kConfigDir));
        writeFile(std::string(w.target) + "/keep", "kept");
        out = stdoutOf([&] { EXPECT_EQ(w.failure, w.save()); });
        EXPECT_EQ(std::vector<std::string>{"keep"}, dirEntries(hostPath(w.target)));
        removeTree(hostPath(w.target));
        EXPECT_EQ(w.success, w.save());
        const std::string saved = readFile(w.target);
        platform::failFileOperation(platform::fileWrite, "config_file/", 3);
        out += stdoutOf([&] { EXPECT_EQ(w.shortWrite, w.save()); });
        platform::clearFileFaults();
        EXPECT_EQ(2u, countOf(out, "[sensor assert]")) << out;
        EXPECT_EQ(saved, readFile(w.target));
        EXPECT_EQ(1u, dirEntries(hostPath(kConfigDir)).size());
    }
}

// Links to files outside the config directory, a victim for each replaced
// file, wait at the fixed temporary name of earlier builds and at this
// process's first 200 temporary names: init, with its merge, and a save
// write through none of them.
TEST_F(FileReplacement, LinksPlantedAtTemporaryNamesAreNeverWrittenThrough) {
    seed("box"), m_bSeeded = true;
    writeFile(kVersion, kModuleVersion);  // so that init keeps the scheme files' links
    ASSERT_EQ(0, mkdir(hostPath("/tmp").c_str(), 0755));
    const std::string targets[] = {kScheme0, kVersion, "/tmp/merge_style.xml"};
    auto victim = [](const std::string& t) { return "/victim-of-" + t.substr(t.rfind('/') + 1); };
    for (const std::string& target : targets) {
        writeFile(victim(target), "the victim's bytes");
        for (int n = 0; n <= 200; ++n) {  // 0: the fixed name
            const std::string pidN = "." + std::to_string(getpid()) + "." + std::to_string(n);
            ASSERT_EQ(0, symlink(hostPath(victim(target)).c_str(),
                                 hostPath(target + ".tmp" + (n ? pidN : "")).c_str()));
        }
    }
    ISensorController& c = start();  // init merges the style
    stdoutOf([&] { EXPECT_EQ(0, c.setParameters("(34,12)", true) + c.flush()); });
    for (const std::string& target : targets)
        EXPECT_EQ("the victim's bytes", readFile(victim(target))) << target;
    EXPECT_EQ(12, valueIn(decodeSet(schemeFile(0)), 34));
    EXPECT_EQ(kModuleVersion, readFile(kVersion));
    EXPECT_TRUE(contains(readFile(targets[2]), "<Item id=\"34\""));
}

// Two processes save whole sets of one value each, again and again, while
// this one reads the file and kills them at random moments: every read is one
// writer's whole set, and the next save removes what the killed ones left.
TEST_F(FileReplacement, TwoWritersAndAReaderSeeOnlyWholeSavesWhereverTheWritersDie) {
    KeyVals sets[2] = {stamped(1, 512, 0), stamped(2, 512, 0)};
    ASSERT_EQ(0, keyValToFile(kScheme0, sets[0].data(), 512));
    Watchdog watchdog(60, "the writers and the reader");
    for (int round = 0; round < 20; ++round) {
        pid_t writers[2];
        for (int w = 0; w < 2; ++w)
            if ((writers[w] = fork()) == 0)
                for (alarm(30);;) keyValToFile(kScheme0, sets[w].data(), 512);
        for (int reads = 0; reads < 100 + 50 * round; ++reads) {
            const std::string bytes = readFile(kScheme0);
            ASSERT_TRUE(bytes == encodeSet(sets[0]) || bytes == encodeSet(sets[1])) << bytes.size();
        }
        for (pid_t w : writers) kill(w, SIGKILL), waitpid(w, nullptr, 0);
    }
    ASSERT_EQ(0, keyValToFile(kScheme0, sets[1].data(), 512));
    EXPECT_EQ(std::vector<std::string>{"sensor0.cfg"}, dirEntries(hostPath(kConfigDir)));
}

}  // namespace
