// The base library's file services under a sandbox root: files, the shell,
// the root itself, the bounded log and the two configuration parsers.
#include <ctype.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "platform/FsRoot.h"
#include "platform/HostSeams.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "platform/TXFile.h"
#include "platform/TXLogger.h"
#include "platform/sy_system.h"

namespace {

class PlatformFilesTest : public SandboxRoot {
  protected:
    std::vector<std::string> lines(const std::string& cameraPath) const {
        std::vector<std::string> result;
        std::istringstream text(readFile(cameraPath));
        for (std::string line; std::getline(text, line);) {
            result.push_back(line);
        }
        return result;
    }

    // The text after "YYYY-MM-DD HH:MM:SS <tag> " of a log record; false when
    // the line has another form.
    static bool recordText(const std::string& line, const std::string& tag, std::string& text) {
        const std::string stamp = "dddd-dd-dd dd:dd:dd ";
        if (line.size() < stamp.size() + tag.size() + 1) {
            return false;
        }
        for (std::string::size_type i = 0; i < stamp.size(); ++i) {
            bool digit = isdigit(static_cast<unsigned char>(line[i])) != 0;
            if (stamp[i] == 'd' ? !digit : line[i] != stamp[i]) {
                return false;
            }
        }
        if (line.compare(stamp.size(), tag.size() + 1, tag + " ") != 0) {
            return false;
        }
        text = line.substr(stamp.size() + tag.size() + 1);
        return true;
    }

    long size(const std::string& cameraPath) const {
        struct stat st;
        return stat(hostPath(cameraPath).c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
    }
};

}  // namespace

// --- TXFile ------------------------------------------------------------------

TEST_F(PlatformFilesTest, WriteCreatesMissingDirectoriesUnderTheRoot) {
    TXFile file;
    ASSERT_TRUE(
        file.open("/mnt/mtd/new/deeper/param.cfg", TXFile::modeWrite | TXFile::modeTruncate));
    EXPECT_EQ(5, file.write("hello", 5));
    EXPECT_EQ(5, file.getLength());
    file.close();
    EXPECT_EQ("hello", readFile("/mnt/mtd/new/deeper/param.cfg"));
}

TEST_F(PlatformFilesTest, WriteWithTruncateEmptiesTheFile) {
    writeFile("/mnt/mtd/param.cfg", "old contents");
    TXFile file;
    ASSERT_TRUE(file.open("/mnt/mtd/param.cfg", TXFile::modeWrite | TXFile::modeTruncate));
    EXPECT_EQ(0, file.getLength());
    file.close();
    EXPECT_EQ("", readFile("/mnt/mtd/param.cfg"));
}

TEST_F(PlatformFilesTest, MissingOrUnopenedFileMovesNothing) {
    TXFile file;
    EXPECT_FALSE(file.open("/mnt/mtd/absent.cfg"));
    EXPECT_EQ(nullptr, file.getFileHandle());
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(0, file.read(buffer, sizeof(buffer)));
    EXPECT_EQ(std::string("abcd"), std::string(buffer, sizeof(buffer)));
    EXPECT_EQ(0, file.write(buffer, sizeof(buffer)));
    EXPECT_EQ(0, file.getLength());
    EXPECT_FALSE(exists("/mnt/mtd/absent.cfg"));
}

TEST_F(PlatformFilesTest, ReadOneLineDropsBothLineEnds) {
    writeFile("/mnt/mtd/lines.txt", "one\ntwo\r\n\nlast");
    TXFile file;
    ASSERT_TRUE(file.open("/mnt/mtd/lines.txt"));
    std::vector<std::string> read;
    for (int i = 0; i < 5; ++i) {
        read.push_back(TXFile::ReadOneLine(file.getFileHandle()));
    }
    EXPECT_EQ((std::vector<std::string>{"one", "two", "", "last", ""}), read);
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

// --- sy_system ---------------------------------------------------------------

TEST_F(PlatformFilesTest, DeletionCommandStaysInsideAQuotedRoot) {
    // The root's name is the decoy's name followed by a blank, a quote and a
    // dollar: a command that splits, unquotes or expands it misses the root
    // or hits the decoy beside it.
    const std::string kDecoy = "/cam";
    const std::string kRoot = kDecoy + " it's $x";
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

TEST_F(PlatformFilesTest, ShellCommandReturnsItsExitStatus) {
    struct {
        const char* command;
        int status;
    } const kCases[] = {{"true", 0}, {"exit 3", 3}, {"false", 1}, {"exit 200", 200}};
    for (const auto& c : kCases) {
        EXPECT_EQ(c.status, sy_system(c.command, 5)) << c.command;
    }
    EXPECT_EQ(-1, sy_system(nullptr, 5));
}

TEST_F(PlatformFilesTest, CommandOutlivingItsTimeoutIsStopped) {
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(-1, sy_system("sleep 5", 1));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
}

// --- File-system root ----------------------------------------------------------

TEST_F(PlatformFilesTest, RootIsPrefixedToAbsolutePathsOnly) {
    struct {
        std::string root;
        std::string cameraPath;
        std::string resolved;
    } const kCases[] = {
        {m_strRoot + "/", "/mnt/mtd/a.cfg", m_strRoot + "/mnt/mtd/a.cfg"},
        {m_strRoot + "//", "/hd1/b.xml", m_strRoot + "/hd1/b.xml"},
        {m_strRoot, "mnt/relative.cfg", "mnt/relative.cfg"},
        {m_strRoot, "", ""},
        {"/", "/mnt/mtd/a.cfg", "/mnt/mtd/a.cfg"},
        {"", "/mnt/mtd/a.cfg", "/mnt/mtd/a.cfg"},
    };
    for (const auto& c : kCases) {
        platform::setFsRoot(c.root);
        EXPECT_EQ(c.resolved, platform::resolvePath(c.cameraPath))
            << "root '" << c.root << "' path '" << c.cameraPath << "'";
    }
    platform::setFsRoot(m_strRoot + "/");
    EXPECT_EQ(m_strRoot, platform::fsRoot());
}

// --- TXLogger ----------------------------------------------------------------

TEST_F(PlatformFilesTest, LogRotatesWithinItsBounds) {
    const std::string log = "/mnt/mtd/log/bounded.log";
    TXLogger logger;
    ASSERT_TRUE(logger.init(log.c_str(), 10240, 3));
    const int kRecords = 2000;  // about 80 KB: rotates many times
    for (int i = 0; i < kRecords; ++i) {
        logger.writeLog("[sensor assert]", ("record " + std::to_string(i)).c_str());
    }

    EXPECT_FALSE(exists(log + ".4"));
    std::vector<std::string> kept;
    for (const std::string& file : {log + ".3", log + ".2", log + ".1", log}) {
        ASSERT_TRUE(exists(file)) << file;
        EXPECT_LE(size(file), 10240) << file;
        for (const std::string& line : lines(file)) {
            kept.push_back(line);
        }
    }
    ASSERT_FALSE(lines(log).empty());
    EXPECT_NE(std::string::npos, lines(log).back().find(" record " + std::to_string(kRecords - 1)));

    // Oldest file first, the records kept are the newest ones, in order.
    int expected = kRecords - static_cast<int>(kept.size());
    for (const std::string& line : kept) {
        std::string text;
        ASSERT_TRUE(recordText(line, "[sensor assert]", text)) << line;
        EXPECT_EQ("record " + std::to_string(expected++), text);
    }
}

TEST_F(PlatformFilesTest, LoggersOnFourThreadsLoseNoRecord) {
    const char kLog[] = "/mnt/mtd/log/shared.log";
    const int kThreads = 4;
    const int kEach = 50;  // about 6 KB in all: below the bound
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
    std::set<std::string> seen;
    for (const std::string& line : lines(kLog)) {
        std::string text;
        ASSERT_TRUE(recordText(line, "[t]", text)) << line;
        seen.insert(text);
    }
    EXPECT_EQ(static_cast<size_t>(kThreads * kEach), seen.size());
    EXPECT_EQ(static_cast<size_t>(kThreads * kEach), lines(kLog).size());
}

// --- Module configuration ------------------------------------------------------

namespace {

const char kModuleConfig[] = "/hd1/moduleConfig/moduleConfig.xml";

}  // namespace

TEST_F(PlatformFilesTest, ModulesAreListedInDocumentOrder) {
    writeFile(kModuleConfig,
              "<?xml version=\"1.0\"?>\n<Modules>\n"
              "  <Module id=\"12\" parameters=\"p12\" detail=\"/hd1/d12.xml\"/>\n"
              "  <Other id=\"99\"/>\n"
              "  <Module id=\"3\" parameters=\"p3\" detail=\"/hd1/d3.xml\"/>\n"
              "  <Module id=\"7\"/>\n"
              "</Modules>\n");
    std::vector<ModuleConfigure> list;
    ASSERT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list));
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(12, list[0].getModuleId());
    EXPECT_EQ("p12", list[0].getParameters());
    EXPECT_EQ("/hd1/d12.xml", list[0].getDetail());
    EXPECT_EQ(3, list[1].getModuleId());
    EXPECT_EQ("p3", list[1].getParameters());
    EXPECT_EQ(7, list[2].getModuleId());
    EXPECT_EQ("", list[2].getParameters());
    EXPECT_EQ("", list[2].getDetail());
}

TEST_F(PlatformFilesTest, ModulesOfOtherMachinesAreSkipped) {
    // One module per row; nullptr leaves the attribute out.
    struct {
        const char* model;
        const char* code;
        bool kept;
    } const kRows[] = {
        {nullptr, nullptr, true}, {"", "", true},        {"M1", "C1", true},
        {"M1", nullptr, true},    {nullptr, "C1", true}, {"M2", "C1", false},
        {"M1", "C2", false},      {"", "C2", false},     {"m1", "C1", false},
    };
    std::string xml = "<Modules>\n";
    std::vector<int> expected;
    int id = 0;
    for (const auto& row : kRows) {
        ++id;
        xml += "<Module id=\"" + std::to_string(id) + "\"";
        if (row.model) {
            xml += std::string(" hardware_model=\"") + row.model + "\"";
        }
        if (row.code) {
            xml += std::string(" hardware_code=\"") + row.code + "\"";
        }
        xml += "/>\n";
        if (row.kept) {
            expected.push_back(id);
        }
    }
    writeFile(kModuleConfig, xml + "</Modules>\n");

    std::vector<ModuleConfigure> list;
    ASSERT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list));
    std::vector<int> ids;
    for (const ModuleConfigure& module : list) {
        ids.push_back(module.getModuleId());
    }
    EXPECT_EQ(expected, ids);
}

TEST_F(PlatformFilesTest, UnreadableModuleConfigurationFailsAndLeavesTheList) {
    ModuleConfigure earlier;
    earlier.setModuleId(5);
    std::vector<ModuleConfigure> list(1, earlier);

    EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list));
    writeFile(kModuleConfig, "<Modules><Module id=\"1\"/><Module id=\"2\"</Modules>");
    EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "M1", "C1", list));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(5, list[0].getModuleId());
}

// --- Machine information ---------------------------------------------------------

TEST_F(PlatformFilesTest, MachineInfoReadsItsThreeNames) {
    const char kInfo[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
    writeFile(kInfo,
              "[machine]\n"
              "# DeviceType=99\n"
              "\n"
              "[DeviceType=98]\n"
              "DeviceType = 13\r\n"
              "   \n"
              "HardwareModel=  IPC-T2 \n"
              "Vendor=other\n"
              "HardwareCode =HC07");
    MachineInfo info;
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo(kInfo, info));
    EXPECT_EQ(13, info.getDeviceType());
    EXPECT_EQ("IPC-T2", info.getHardwareModel());
    EXPECT_EQ("HC07", info.getHardwareCode());
}

TEST_F(PlatformFilesTest, MissingMachineInfoFailsWithDeviceTypeZero) {
    MachineInfo info;
    EXPECT_FALSE(
        SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", info));
    EXPECT_EQ(0, info.getDeviceType());
    EXPECT_EQ("", info.getHardwareModel());
}
