// Files the module replaces (the parameter files, the version file and the
// merged style's scratch file) as other processes on the camera meet them:
// two writers saving one file while a reader reads it and the writers are
// killed, links planted where a temporary file would go, and a /tmp that
// cannot be written.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/ControllerFixture.h"
#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/SchemeSets.h"
#include "platform/HostSeams.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "support/SensorDebug.h"

namespace {

const char kConfigDir[] = "/mnt/mtd/code/config_file";
const char kScheme0[] = "/mnt/mtd/code/config_file/sensor0.cfg";
const char kVersion[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const char kMergeScratch[] = "/tmp/merge_style.xml";
const char kMergeReport[] = "loadFromFile(\"/tmp/merge_style.xml\", *ui_style, file_len) > 0";
const std::string kModuleVersion("\x08\0\0\0", 4);  // what init writes to the version file

// The writers save thousands of times: their saves need not reach the disk.
struct QuickSaves {
    QuickSaves() { platform::setDurableSync(false); }
    ~QuickSaves() { platform::setDurableSync(true); }
};

size_t temporariesIn(const std::string& hostDir) {
    size_t count = 0;
    for (const std::string& name : dirEntries(hostDir)) {
        count += contains(name, ".tmp.");
    }
    return count;
}

// --- two writers and a reader --------------------------------------------------

// Each save of a writer puts one stamp on every record: the writer (1 or 2),
// the life it is in and the save's count.
const u32 kRecords = 100;
const u32 kFirstKey = 8000;
int32_t stamp(int writer, int life, int save) {
    return writer << 28 | (life & 0xfff) << 16 | (save & 0xffff);
}

// "" when the bytes are one whole save of one writer; else what they are.
std::string unlikeOneSave(const std::string& bytes) {
    if (bytes.size() != kRecords * sizeof(KeyVal)) {
        return std::to_string(bytes.size()) + " bytes";
    }
    const KeyVals set = decodeSet(bytes);
    const int writer = set[0].value >> 28;
    for (u32 i = 0; i < kRecords; ++i) {
        if (set[i].key != kFirstKey + i || set[i].value != set[0].value ||
            (writer != 1 && writer != 2)) {
            return "record " + std::to_string(i) + " of a mixed or foreign file";
        }
    }
    return "";
}

// A forked writer: saves its set again and again until it is killed, and
// tells on ready once its first save is published.
[[noreturn]] void saveUntilKilled(int writer, int life, int ready) {
    alarm(30);  // a writer its test lost ends here
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    KeyVals set(kRecords);
    char name[sizeof(kScheme0)];
    memcpy(name, kScheme0, sizeof(name));
    for (int save = 0;; ++save) {
        for (u32 i = 0; i < kRecords; ++i) {
            set[i] = KeyVal{kFirstKey + i, stamp(writer, life, save)};
        }
        if (keyValToFile(name, set.data(), kRecords) == SNS_SUCCESS && ready >= 0) {
            ssize_t told = write(ready, "!", 1);
            (void)told;
            close(ready);
            ready = -1;
        }
    }
}

// The two writer processes; whichever still runs when the test ends is killed.
class Writers {
  public:
    ~Writers() {
        stop(0);
        stop(1);
    }
    // Starts writer w (0 or 1) in a new life; true once its first save is
    // published (a writer that cannot save fails it, with a bound against hangs).
    bool start(int w, int life) {
        int ready[2];
        if (pipe(ready) != 0) {
            return false;
        }
        m_pid[w] = fork();
        if (m_pid[w] == 0) {
            close(ready[0]);
            saveUntilKilled(w + 1, life, ready[1]);
        }
        close(ready[1]);
        pollfd told = {ready[0], POLLIN, 0};
        char byte = 0;
        bool started = m_pid[w] > 0 && poll(&told, 1, 10000) == 1 && read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        return started;
    }
    void stop(int w) {
        if (m_pid[w] > 0) {
            ::kill(m_pid[w], SIGKILL);
            waitpid(m_pid[w], nullptr, 0);
            m_pid[w] = -1;
        }
    }
    // Halts both where they are (in a save or between two) or lets them go on.
    void pause(bool halt) {
        for (pid_t pid : m_pid) {
            if (pid > 0) {
                ::kill(pid, halt ? SIGSTOP : SIGCONT);
                if (halt) {
                    waitpid(pid, nullptr, WUNTRACED);
                }
            }
        }
    }

  private:
    pid_t m_pid[2] = {-1, -1};
};

using FileReplacement = ControllerFixture;

// The reader must only ever find one writer's whole save, however the saves
// of the two meet and wherever a writer is killed; what killed writers left
// is removed by the next save, so that only the live writers' temporary
// files (one each at most) are found beside the file.
TEST_F(FileReplacement, TwoWritersAndAReaderSeeOnlyWholeSavesWhereverTheWritersDie) {
    QuickSaves quick;
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string configDir = hostPath(kConfigDir);
    Writers writers;
    ASSERT_TRUE(writers.start(0, 0) && writers.start(1, 0));
    int torn = 0;
    std::string tornAs;
    for (int round = 1; round <= 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        for (int reads = static_cast<int>(random() % 600); reads >= 0; --reads) {
            std::string why = unlikeOneSave(readFile(kScheme0));
            torn += !why.empty();
            tornAs = why.empty() ? tornAs : why;
        }
        const int killed = 1 + static_cast<int>(random() % 3);  // bit w: writer w
        for (int w = 0; w < 2; ++w) {
            if (killed & (1 << w)) {
                writers.stop(w);
            }
        }
        ASSERT_EQ("", unlikeOneSave(readFile(kScheme0))) << "after the kill";
        for (int w = 0; w < 2; ++w) {
            if (killed & (1 << w)) {
                ASSERT_TRUE(writers.start(w, round)) << "writer " << w;
            }
        }
        writers.pause(true);
        const size_t temporaries = temporariesIn(configDir);
        writers.pause(false);
        ASSERT_LE(temporaries, 2u);
    }
    EXPECT_EQ(0, torn) << tornAs;
    writers.stop(0);
    writers.stop(1);
    KeyVal one[1] = {{kFirstKey, 1}};
    EXPECT_EQ(SNS_SUCCESS, keyValToFile(const_cast<char*>(kScheme0), one, 1));
    EXPECT_EQ(std::vector<std::string>{"sensor0.cfg"}, dirEntries(configDir))
        << "the next save takes the rest";
}

// --- planted links -------------------------------------------------------------

void makeHostDirs(const std::string& path) {
    for (std::string::size_type at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/') {
            mkdir(path.substr(0, at).c_str(), 0755);
        }
    }
}

// The box camera's merge of the sample style, as init does it.
std::string mergedSampleStyle(const ModuleConfigure& module) {
    ModuleConfig config;
    memset(&config, 0, sizeof(config));
    strncpy(config.szDetail, module.getDetail().c_str(), sizeof(config.szDetail) - 1);
    char* style = strdup(sampleData("hd1/moduleConfig/sensorConfig/style/Style.xml").c_str());
    std::string diversity =
        sampleData("hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml");
    mergeStyle(&config, &style, &diversity[0]);  // answers SNS_SUCCESS whatever happens
    std::string text = style ? style : "";
    free(style);
    return text;
}

// Links to files outside the config directory, a victim for each replaced
// file, wait at the fixed temporary name of earlier builds and at this
// process's first 200 temporary names. Init, a save and a merge write through
// none of them: each victim keeps its bytes, each file is replaced by a
// regular file, and a link still there still points to its victim.
TEST_F(FileReplacement, LinksPlantedAtTemporaryNamesAreNeverWrittenThrough) {
    seed("box");
    m_bSeeded = true;
    writeFile(kVersion, kModuleVersion);  // so that init keeps the scheme files' links
    makeHostDirs(hostPath("/tmp"));
    const std::string targets[] = {kScheme0, kVersion, kMergeScratch};
    std::vector<std::pair<std::string, std::string>> links;  // link, victim
    for (const std::string& target : targets) {
        const std::string victim = "/victim-of-" + target.substr(target.rfind('/') + 1);
        writeFile(victim, "the victim's bytes");
        links.emplace_back(hostPath(target + ".tmp"), hostPath(victim));
        for (int n = 1; n <= 200; ++n) {
            links.emplace_back(
                hostPath(target + ".tmp." + std::to_string(getpid()) + "." + std::to_string(n)),
                hostPath(victim));
        }
    }
    for (const auto& link : links) {
        ASSERT_EQ(0, symlink(link.second.c_str(), link.first.c_str())) << link.first;
    }
    ISensorController& c = start();
    int set = -1, flushed = -1;
    std::string merged;
    stdoutOf([&] {
        set = c.setParameters("(34,12)", true);
        flushed = c.flush();
        merged = mergedSampleStyle(moduleFor(1));
    });
    EXPECT_EQ(0, set);
    EXPECT_EQ(0, flushed);
    for (const std::string& target : targets) {
        const std::string victim = "/victim-of-" + target.substr(target.rfind('/') + 1);
        const std::string bytes = readFile(victim);
        EXPECT_TRUE(bytes == "the victim's bytes") << victim << ": " << bytes.substr(0, 60);
        struct stat st;
        EXPECT_TRUE(lstat(hostPath(target).c_str(), &st) == 0 && S_ISREG(st.st_mode)) << target;
    }
    EXPECT_EQ(12, valueIn(decodeSet(schemeFile(0)), 34));
    EXPECT_EQ(kModuleVersion, readFile(kVersion));
    EXPECT_EQ(merged, readFile(kMergeScratch));
    EXPECT_TRUE(contains(merged, "<Item id=\"34\""));
    char pointsTo[PATH_MAX];
    for (const auto& link : links) {
        ssize_t length = readlink(link.first.c_str(), pointsTo, sizeof(pointsTo));
        EXPECT_TRUE((length < 0 && errno == ENOENT) ||
                    std::string(pointsTo, length > 0 ? static_cast<size_t>(length) : 0) ==
                        link.second)
            << link.first;
    }
}

// --- no writable /tmp ----------------------------------------------------------

// With a plain file where /tmp should be, the merged style stays in memory:
// the camera gets the same parameters and the same merged text as with a
// writable /tmp, saves them, and the failure is reported once.
TEST_F(FileReplacement, MergedStyleWithoutAWritableTmpIsKeptInMemory) {
    ISensorController& reference = start();
    std::string all, some;
    stdoutOf([&] {
        reference.getAllParameters(all);
        reference.getParameters("(34,2337)", some);
    });
    ASSERT_TRUE(contains(all, "(34,") && contains(some, "(2337,")) << all << some;
    std::string writable;
    stdoutOf([&] { writable = mergedSampleStyle(moduleFor(1)); });
    m_pController.reset();
    removeTree(hostPath("/tmp"));
    removeTree(hostPath(kConfigDir));  // the sets come from the style alone,
    iasim::reset();                    // the values read from no earlier set
    writeFile("/tmp", "a plain file");

    m_pController.reset(new ISensorController());
    m_pController->setChannelID(1);
    m_pController->setVideoStreamModule(&m_objVideo);
    bool ready = false;
    std::string out = stdoutOf([&] { ready = m_pController->init(moduleFor(1)); });
    EXPECT_TRUE(ready);
    EXPECT_EQ(1u, countOf(out, failed(kMergeReport))) << out;
    std::string allNow, someNow;
    int set = -1, flushed = -1;
    stdoutOf([&] {
        m_pController->getAllParameters(allNow);
        m_pController->getParameters("(34,2337)", someNow);
        set = m_pController->setParameters("(34,12)", true);
        flushed = m_pController->flush();
    });
    EXPECT_EQ(0, set);
    EXPECT_EQ(0, flushed);
    EXPECT_EQ(some, someNow);
    EXPECT_EQ(all, allNow);
    EXPECT_EQ(12, valueIn(decodeSet(schemeFile(0)), 34));

    std::string inMemory;
    out = stdoutOf([&] { inMemory = mergedSampleStyle(moduleFor(1)); });
    EXPECT_EQ(writable, inMemory);
    EXPECT_EQ(1u, countOf(out, failed(kMergeReport))) << out;
    EXPECT_EQ("a plain file", readFile("/tmp"));
}

}  // namespace
