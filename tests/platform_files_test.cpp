// The host's reader of the module list, which gives the module its detail
// text, and the shell command that removes the saved sets under a root of any name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "platform/FsRoot.h"
#include "platform/HostSeams.h"
#include "platform/ModuleConfigure.h"
#include "platform/sy_system.h"

namespace {

using PlatformFilesTest = SandboxRoot;

// Module 7 holding elements open at once to the depth, the root and the module
// among them: deeper than the module's own nesting is refused before the
// parser, whose recursion would run out of stack, sees it.
TEST_F(PlatformFilesTest, ModuleListDeeperThanSixtyFourIsRefused) {
    for (int depth : {64, 65, 100000}) {
        std::string open, close;
        for (int i = 2; i < depth; ++i) open += "<a>", close += "</a>";
        writeFile("/hd1/m.xml", "<Modules><Module id='7'>" + open + close + "</Module></Modules>");
        std::vector<ModuleConfigure> list(1);
        EXPECT_EQ(depth == 64, ModuleConfigureParser::parse("/hd1/m.xml", "M1", "C1", list));
        EXPECT_EQ(depth == 64 ? 2u : 1u, list.size()) << depth;
        EXPECT_EQ(depth == 64 ? 7 : 0, list.back().getModuleId()) << depth;
    }
}

// The root is the decoy's name followed by a blank, a quote and a dollar: a
// command that splits, unquotes or expands it misses the root or hits the decoy.
TEST_F(PlatformFilesTest, DeletionCommandStaysInsideAQuotedRoot) {
    const std::string kDecoy = "/cam", kRoot = kDecoy + " it's $x";
    const char* kVictims[] = {"/mnt/mtd/code/config/sensor_0.cfg",
                              "/mnt/mtd/code/config_2/sensor.bak"};
    for (const char* path : kVictims)
        writeFile(kRoot + path, "x"), writeFile(kDecoy + path, "decoy");
    writeFile(kRoot + "/mnt/mtd/code/config/keep.cfg", "keep");
    platform::setFsRoot(hostPath(kRoot));
    std::string command = "rm -rf " + platform::shellPath("/mnt/mtd/code/config*/sensor*");
    EXPECT_EQ(0, sy_system(command.c_str(), 30));
    platform::setFsRoot(m_strRoot);
    for (const char* path : kVictims)  // gone under the root, kept under the decoy
        EXPECT_EQ("0 decoy", std::to_string(exists(kRoot + path)) + " " + readFile(kDecoy + path));
    EXPECT_TRUE(exists(kRoot + "/mnt/mtd/code/config/keep.cfg"));
}

}  // namespace
