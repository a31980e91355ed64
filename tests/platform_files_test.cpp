// The base library's services off the camera: files, the shell, the root, the
// bounded log and the configuration parsers under a sandbox root; the text
// helpers, the device clock, scaled waits and the recording video module.
#include <ctype.h>
#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "platform/FsRoot.h"
#include "platform/HostSeams.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "platform/StringHandler.h"
#include "platform/TXDeviceTime.h"
#include "platform/TXFile.h"
#include "platform/TXLogger.h"
#include "platform/TalvexTime.h"
#include "platform/host/RecordingVideoModule.h"
#include "platform/sy_system.h"

namespace {

typedef std::vector<std::string> Lines;
const char kModuleConfig[] = "/hd1/moduleConfig/moduleConfig.xml";

class PlatformFilesTest : public SandboxRoot {
  protected:
    Lines lines(const std::string& cameraPath) const {
        Lines result;
        std::istringstream text(readFile(cameraPath));
        for (std::string line; std::getline(text, line);) {
            result.push_back(line);
        }
        return result;
    }
    // The text after "YYYY-MM-DD HH:MM:SS <tag> " of a log record.
    static std::string recordText(const std::string& line, const std::string& tag) {
        const std::string form = "dddd-dd-dd dd:dd:dd " + tag + " ";
        bool matches = line.size() >= form.size();
        for (std::string::size_type i = 0; matches && i < form.size(); ++i) {
            bool digit = isdigit(static_cast<unsigned char>(line[i])) != 0;
            matches = i < 19 && form[i] == 'd' ? digit : line[i] == form[i];
        }
        return matches ? line.substr(form.size()) : "<not a record: " + line + ">";
    }
};

// The clock and wait seams are process-wide: every test leaves them as found.
class PlatformMiscTest : public ::testing::Test {
  protected:
    void TearDown() override {
        platform::clearFakeClock();
        platform::setWaitScale(100);
    }
};

}  // namespace

// --- TXFile ------------------------------------------------------------------

TEST_F(PlatformFilesTest, WriteCreatesDirectoriesUnderTheRootAndTruncates) {
    const char kPath[] = "/mnt/mtd/new/deeper/param.cfg";
    for (std::string text : {"old contents", "hello"}) {
        TXFile file;
        ASSERT_TRUE(file.open(kPath, TXFile::modeWrite | TXFile::modeTruncate));
        EXPECT_EQ(static_cast<int>(text.size()), file.write(text.data(), text.size()));
        EXPECT_EQ(static_cast<INT64>(text.size()), file.getLength());
    }
    EXPECT_EQ("hello", readFile(kPath));
}

// Lengths are 64-bit on every target, the camera's 32-bit one included.
TEST_F(PlatformFilesTest, LengthOfAFileBeyondFourGibibytesIsWhole) {
    const INT64 length = (static_cast<INT64>(1) << 32) + 3;  // sparse: no room taken
    writeFile("/hd1/large.bin", "");
    ASSERT_EQ(0, truncate(hostPath("/hd1/large.bin").c_str(), static_cast<off_t>(length)));
    TXFile file;
    ASSERT_TRUE(file.open("/hd1/large.bin"));
    EXPECT_EQ(length, file.getLength());
}

TEST_F(PlatformFilesTest, MissingOrUnopenedFileMovesNothing) {
    TXFile file;
    EXPECT_FALSE(file.open("/mnt/mtd/absent.cfg"));
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(0, file.read(buffer, sizeof(buffer)));
    EXPECT_EQ(0, file.write(buffer, sizeof(buffer)));
    EXPECT_EQ(0, file.getLength());
    EXPECT_EQ("abcd", std::string(buffer, sizeof(buffer)));
    EXPECT_FALSE(exists("/mnt/mtd/absent.cfg"));
}

TEST_F(PlatformFilesTest, ReadOneLineDropsBothLineEnds) {
    writeFile("/mnt/mtd/lines.txt", "one\ntwo\r\n\nlast");
    TXFile file;
    ASSERT_TRUE(file.open("/mnt/mtd/lines.txt"));
    Lines read;
    for (int i = 0; i < 5; ++i) {
        read.push_back(TXFile::ReadOneLine(file.getFileHandle()));
    }
    EXPECT_EQ(Lines({"one", "two", "", "last", ""}), read);
}

TEST_F(PlatformFilesTest, RenameSyncAndRemoveWorkUnderTheRoot) {
    writeFile("/mnt/mtd/param.tmp", "new");
    EXPECT_TRUE(TXFile::rename("/mnt/mtd/param.tmp", "/mnt/mtd/cfg/param.cfg"));
    EXPECT_FALSE(exists("/mnt/mtd/param.tmp"));
    EXPECT_EQ("new", readFile("/mnt/mtd/cfg/param.cfg"));
    EXPECT_TRUE(TXFile::syncDirectory("/mnt/mtd/cfg"));
    EXPECT_FALSE(TXFile::syncDirectory("/mnt/mtd/no-such-dir"));
    EXPECT_TRUE(TXFile::remove("/mnt/mtd/cfg/param.cfg"));
    EXPECT_FALSE(exists("/mnt/mtd/cfg/param.cfg"));
    EXPECT_TRUE(TXFile::remove("/mnt/mtd/cfg/param.cfg")) << "an absent file is gone already";
}

// --- sy_system and the root --------------------------------------------------

TEST_F(PlatformFilesTest, DeletionCommandStaysInsideAQuotedRoot) {
    // The root is the decoy's name followed by a blank, a quote and a dollar: a
    // command that splits, unquotes or expands it misses the root or hits the decoy.
    const std::string kDecoy = "/cam", kRoot = kDecoy + " it's $x";
    const char* kVictims[] = {"/mnt/mtd/code/config/sensor_0.cfg",
                              "/mnt/mtd/code/config_2/sensor.bak"};
    for (const char* path : kVictims) {
        writeFile(kRoot + path, "x");
        writeFile(kDecoy + path, "decoy");
    }
    writeFile(kRoot + "/mnt/mtd/code/config/keep.cfg", "keep");
    platform::setFsRoot(hostPath(kRoot));
    std::string command = "rm -rf " + platform::shellPath("/mnt/mtd/code/config*/sensor*");
    EXPECT_EQ(0, sy_system(command.c_str(), 30));
    platform::setFsRoot(m_strRoot);
    for (const char* path : kVictims) {
        EXPECT_FALSE(exists(kRoot + path)) << path;
        EXPECT_EQ("decoy", readFile(kDecoy + path)) << path;
    }
    EXPECT_TRUE(exists(kRoot + "/mnt/mtd/code/config/keep.cfg"));
}

TEST_F(PlatformFilesTest, ShellCommandReturnsItsExitStatusAndIsStoppedAtItsTimeout) {
    const std::pair<const char*, int> cases[] = {
        {"true", 0}, {"exit 3", 3}, {"false", 1}, {"exit 200", 200}, {nullptr, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.second, sy_system(c.first, 5)) << (c.first ? c.first : "null");
    }
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(-1, sy_system("sleep 5", 1));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
}

TEST_F(PlatformFilesTest, RootIsPrefixedToAbsolutePathsOnly) {
    // Root, camera path, resolved path.
    const std::string cases[][3] = {{m_strRoot + "//", "/hd1/b.xml", m_strRoot + "/hd1/b.xml"},
                                    {m_strRoot, "mnt/relative.cfg", "mnt/relative.cfg"},
                                    {"", "/mnt/mtd/a.cfg", "/mnt/mtd/a.cfg"}};
    for (const auto& c : cases) {
        platform::setFsRoot(c[0]);
        EXPECT_EQ(c[2], platform::resolvePath(c[1])) << "root '" << c[0] << "' path " << c[1];
    }
}

// --- TXLogger ----------------------------------------------------------------

TEST_F(PlatformFilesTest, LogRotatesWithinItsBoundsKeepingTheNewestRecords) {
    const std::string log = "/mnt/mtd/log/bounded.log";
    TXLogger logger;
    ASSERT_TRUE(logger.init(log.c_str(), 10240, 3));
    const int kRecords = 2000;  // about 80 KB: rotates many times
    for (int i = 0; i < kRecords; ++i) {
        logger.writeLog("[sensor assert]", ("record " + std::to_string(i)).c_str());
    }
    EXPECT_FALSE(exists(log + ".4"));
    Lines kept;
    for (const std::string& file : {log + ".3", log + ".2", log + ".1", log}) {
        EXPECT_LE(readFile(file).size(), 10240u) << file;
        Lines part = lines(file);
        ASSERT_FALSE(part.empty()) << file;
        kept.insert(kept.end(), part.begin(), part.end());
    }
    // Oldest file first, the records kept are the newest ones, in order.
    int expected = kRecords - static_cast<int>(kept.size());
    for (const std::string& line : kept) {
        EXPECT_EQ("record " + std::to_string(expected++), recordText(line, "[sensor assert]"));
    }
    EXPECT_EQ(kRecords, expected);
}

TEST_F(PlatformFilesTest, LoggersOnFourThreadsLoseNoRecord) {
    const char kLog[] = "/mnt/mtd/log/shared.log";
    const int kThreads = 4, kEach = 50;  // about 6 KB in all: below the bound
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &kLog] {
            TXLogger logger;
            logger.init(kLog, 10240, 3);
            for (int i = 0; i < kEach; ++i) {
                logger.writeLog("[t]", (std::to_string(t) + "-" + std::to_string(i)).c_str());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_FALSE(exists(std::string(kLog) + ".1"));
    std::multiset<std::string> seen, expected;
    for (const std::string& line : lines(kLog)) {
        seen.insert(recordText(line, "[t]"));
    }
    for (int n = 0; n < kThreads * kEach; ++n) {
        expected.insert(std::to_string(n / kEach) + "-" + std::to_string(n % kEach));
    }
    EXPECT_EQ(expected, seen);
}

// --- Configuration parsers -----------------------------------------------------

TEST_F(PlatformFilesTest, ModulesOfThisMachineAreListedInDocumentOrder) {
    writeFile(kModuleConfig,
              "<?xml version=\"1.0\"?>\n<Modules>\n"
              "<Module id=\"12\" parameters=\"p12\" detail=\"/hd1/d12.xml\"/>\n"
              "<Other id=\"99\"/>\n"
              "<Module id=\"3\" hardware_model=\"\" hardware_code=\"\"/>\n"
              "<Module id=\"4\" hardware_model=\"M1\" hardware_code=\"C1\" parameters=\"p4\"/>\n"
              "<Module id=\"5\" hardware_model=\"M1\"/>\n"
              "<Module id=\"6\" hardware_code=\"C1\"/>\n"
              "<Module id=\"7\" hardware_model=\"M2\" hardware_code=\"C1\"/>\n"
              "<Module id=\"8\" hardware_model=\"M1\" hardware_code=\"C2\"/>\n"
              "<Module id=\"9\" hardware_model=\"\" hardware_code=\"C2\"/>\n"
              "<Module id=\"10\" hardware_model=\"m1\" hardware_code=\"C1\"/>\n"
              "<Module id=\"1\"/>\n"
              "</Modules>\n");
    std::vector<ModuleConfigure> list;
    ASSERT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list));
    Lines listed;  // "id parameters detail"
    for (const ModuleConfigure& m : list) {
        listed.push_back(std::to_string(m.getModuleId()) + " " + m.getParameters() + " " +
                         m.getDetail());
    }
    EXPECT_EQ(Lines({"12 p12 /hd1/d12.xml", "3  ", "4 p4 ", "5  ", "6  ", "1  "}), listed);
}

TEST_F(PlatformFilesTest, UnreadableModuleConfigurationFailsAndLeavesTheList) {
    std::vector<ModuleConfigure> list(1);
    list[0].setModuleId(5);
    EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list));
    writeFile(kModuleConfig, "<Modules><Module id=\"1\"/><Module id=\"2\"</Modules>");
    EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(5, list[0].getModuleId());
}

TEST_F(PlatformFilesTest, MachineInfoReadsItsThreeNamesOrFailsWithDeviceTypeZero) {
    const char kInfo[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
    MachineInfo info;
    EXPECT_FALSE(SystemInfoParser::parseMachineInfo(kInfo, info));
    EXPECT_EQ(0, info.getDeviceType());
    writeFile(kInfo,
              "[machine]\n# DeviceType=99\n\n[DeviceType=98]\nDeviceType = 13\r\n   \n"
              "HardwareModel=  IPC-T2 \nVendor=other\nHardwareCode =HC07");
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo(kInfo, info));
    EXPECT_EQ(13, info.getDeviceType());
    EXPECT_EQ("IPC-T2", info.getHardwareModel());
    EXPECT_EQ("HC07", info.getHardwareCode());
}

// A document nesting deeper than the module's own may is refused before the
// parser, whose recursion would run out of stack, sees it.
TEST_F(PlatformFilesTest, ModuleConfigurationNestedTooDeeplyIsRefused) {
    const struct {
        int depth;  // elements open at once, the root and the module among them
        bool parsed;
    } cases[] = {{64, true}, {65, false}, {100000, false}};
    for (const auto& c : cases) {
        std::string open, close;
        for (int i = 2; i < c.depth; ++i) {
            open += "<a>";
            close += "</a>";
        }
        writeFile(kModuleConfig,
                  "<Modules><Module id=\"7\">" + open + close + "</Module></Modules>");
        std::vector<ModuleConfigure> list;
        EXPECT_EQ(c.parsed, ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list))
            << c.depth;
        EXPECT_EQ(c.parsed ? 1u : 0u, list.size()) << c.depth;
    }
}

TEST_F(PlatformFilesTest, MachineInfoPassesOverALineTooLongToKeep) {
    const char kInfo[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
    const std::string longest = "HardwareCode=" + std::string(4096 - 13, 'c');
    writeFile(kInfo,
              "HardwareModel=" + std::string(8 << 20, 'x') + "\n" + longest + "\nDeviceType=13\n");
    MachineInfo info;
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo(kInfo, info));
    EXPECT_EQ(0u, info.getHardwareModel().size());
    EXPECT_EQ(longest.substr(13), info.getHardwareCode());
    EXPECT_EQ(13, info.getDeviceType());
}

// --- Text helpers, clock, waits, video module ------------------------------------

TEST_F(PlatformMiscTest, SplitAppendsEveryPiece) {
    const struct {
        const char* text;
        const char* separator;
        Lines pieces;
    } cases[] = {
        {"a,b", ",", {"a", "b"}},   {"a,,b", ",", {"a", "", "b"}}, {"", ",", {""}},
        {",5", ",", {"", "5"}},     {"abc", ",", {"abc"}},         {"a,", ",", {"a", ""}},
        {"x::y", "::", {"x", "y"}},
    };
    for (const auto& c : cases) {
        Lines expected(1, "earlier"), pieces = expected;
        expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
        StringHandler::split(c.text, pieces, c.separator);
        EXPECT_EQ(expected, pieces) << '"' << c.text << '"';
    }
}

TEST_F(PlatformMiscTest, Str2TypeReadsLikeTheStream) {
    // No number stores 0 (a failed extraction); an empty text leaves the target.
    const std::pair<const char*, int> cases[] = {
        {"12", 12}, {" -3", -3}, {"7 8", 7}, {"x", 0}, {"", 99}};
    for (const auto& c : cases) {
        int target = 99;
        StringHandler::str2type(c.first, target);
        EXPECT_EQ(c.second, target) << '"' << c.first << '"';
    }
}

TEST_F(PlatformMiscTest, FakeClockAnswersUntilCleared) {
    platform::setFakeClock(23, 59);
    struct tm now = TXDeviceTime::getCurrentTime();
    EXPECT_EQ(23 * 60 + 59, now.tm_hour * 60 + now.tm_min);
    time_t real = time(nullptr);
    int farHour = (localtime_r(&real, &now)->tm_hour + 12) % 24;
    platform::setFakeClock(farHour, 0);
    platform::clearFakeClock();
    EXPECT_NE(farHour, TXDeviceTime::getCurrentTime().tm_hour);
}

TEST_F(PlatformMiscTest, WaitIsScaled) {
    platform::setWaitScale(1);
    auto begin = std::chrono::steady_clock::now();
    wait(TalvexTime(1, 0));
    auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500));
    EXPECT_GE(elapsed, std::chrono::milliseconds(10)) << "one percent of a second is still slept";
}

TEST_F(PlatformMiscTest, RecordingVideoModuleRecordsNotificationsInOrderAndFailsOnDemand) {
    RecordingVideoModule recorder;
    const VideoStreamModule& video = recorder;
    EXPECT_EQ(0, video.notifySensorChange(0, 3, 1));
    recorder.failNotifications(-7);
    EXPECT_EQ(-7, video.notifySensorChange(2, 5, -4));
    recorder.failNotifications(0);
    EXPECT_EQ(0, video.notifySensorChange(1, 3, 0));
    std::vector<RecordingVideoModule::Notification> expected = {{0, 3, 1}, {2, 5, -4}, {1, 3, 0}};
    EXPECT_EQ(expected, recorder.notifications());
}
