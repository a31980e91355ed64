// The host helpers the tests, tools and benchmark share: one shell word for
// any text, and a sample camera disk written under a root.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "platform/ShellQuote.h"
#include "tools/sample/SampleCamera.h"

namespace {

// What /bin/sh makes of a command line printing its one argument.
std::string printedByShell(const std::string& word) {
    std::string command = "printf %s " + platform::shellQuoted(word);
    std::string printed;
    if (FILE* shell = popen(command.c_str(), "r")) {
        char buffer[256];
        for (size_t n; (n = fread(buffer, 1, sizeof(buffer), shell)) > 0;) {
            printed.append(buffer, n);
        }
        EXPECT_EQ(0, pclose(shell)) << command;
    } else {
        ADD_FAILURE() << "cannot run " << command;
    }
    return printed;
}

TEST(ShellQuoted, EveryWordReachesTheCommandUnchangedAndWhole) {
    for (const std::string word :
         {"", "'", "''", "it's a 'test'", " two  blanks ", "$HOME `id` \\n", "a\"b\\'c",
          "line\nbreak", "*", "-x; echo no"}) {
        EXPECT_EQ(word, printedByShell(word)) << platform::shellQuoted(word);
    }
}

class SampleCameraTest : public SandboxRoot {};

TEST_F(SampleCameraTest, WritesTheFamilysFilesOverTheSharedOnesAndNothingElse) {
    const std::vector<SampleFile> files = {
        {"cameras/dome/hd1/moduleConfig/moduleConfig.xml", "dome's"},
        {"hd1/moduleConfig/moduleConfig.xml", "shared"},
        {"hd1/moduleConfig/sensorConfig/style/Style.xml", "style"},
        {"cameras/box/mnt/mtd/code/factory_setting/machineinfo.ini", "box"},
        {"cameras/dome/mnt/mtd/code/factory_setting/machineinfo.ini", "dome"},
        {"profiles/dome.profile", "profile"},
    };
    writeFile("/disk/mnt/mtd/code/factory_setting/machineinfo.ini", "an older disk's, longer");
    std::string error;
    ASSERT_TRUE(seedSampleCamera(files, "dome", m_strRoot + "/disk", error)) << error;
    EXPECT_EQ("dome's", readFile("/disk/hd1/moduleConfig/moduleConfig.xml"));
    EXPECT_EQ("style", readFile("/disk/hd1/moduleConfig/sensorConfig/style/Style.xml"));
    EXPECT_EQ("dome", readFile("/disk/mnt/mtd/code/factory_setting/machineinfo.ini"));
    EXPECT_FALSE(exists("/disk/cameras"));
    EXPECT_FALSE(exists("/disk/profiles"));
    EXPECT_FALSE(exists("/disk/dome.profile"));

    EXPECT_FALSE(seedSampleCamera(files, "Dome", m_strRoot + "/other", error));
    EXPECT_NE(std::string::npos, error.find("'Dome'")) << error;
    EXPECT_FALSE(exists("/other"));
    EXPECT_FALSE(seedSampleCamera(files, "dome", "", error)) << "the real paths are never seeded";
}

TEST_F(SampleCameraTest, ReadsTheRegularFilesOfTheCameraDataLinksLeftOut) {
    writeFile("/data/hd1/moduleConfig/sensorConfig/style/Style.xml", "style");
    writeFile("/data/cameras/box/mnt/mtd/code/factory_setting/machineinfo.ini", "box");
    writeFile("/data/profiles/box.profile", "profile");
    writeFile("/data/README.md", "readme");
    ASSERT_EQ(0, symlink(hostPath("/data/profiles").c_str(), hostPath("/data/hd1/linked").c_str()));
    ASSERT_EQ(0, symlink(hostPath("/data/README.md").c_str(),
                         hostPath("/data/cameras/box/README.md").c_str()));
    std::vector<SampleFile> files;
    std::string error;
    ASSERT_TRUE(readSampleData(hostPath("/data"), files, error)) << error;
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ("cameras/box/mnt/mtd/code/factory_setting/machineinfo.ini", files[0].path);
    EXPECT_EQ("box", files[0].bytes);
    EXPECT_EQ("hd1/moduleConfig/sensorConfig/style/Style.xml", files[1].path);
    EXPECT_EQ("style", files[1].bytes);

    EXPECT_FALSE(readSampleData(hostPath("/missing"), files, error));
    EXPECT_NE(std::string::npos, error.find(hostPath("/missing/hd1"))) << error;
}

}  // namespace
