// sensorctl run as a user runs it: a separate process on a camera disk of
// its own, answers on standard output, diagnostics on standard error.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "platform/ShellQuote.h"

namespace {

using platform::shellQuoted;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool contains(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

class SensorctlTest : public SandboxRoot {
  protected:
    // The tool's disk: a directory with a blank in its name, not there yet.
    std::string disk() const { return m_strRoot + "/camera disk"; }

    // shell: commands the shell runs first (limits for the tool).
    ToolRun run(const std::vector<std::string>& args, const std::string& input = "",
                const std::string& shell = "") const {
        std::string command =
            shell + SENSORCTL_COMMAND + " --root " + shellQuoted(disk()) + " --wait-scale 1";
        for (const std::string& arg : args) {
            command += " " + shellQuoted(arg);
        }
        std::string in = m_strRoot + "/stdin", out = m_strRoot + "/stdout",
                    err = m_strRoot + "/stderr";
        std::ofstream(in) << input;
        int status = system(
            (command + " <" + shellQuoted(in) + " >" + shellQuoted(out) + " 2>" + shellQuoted(err))
                .c_str());
        return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
    }
    std::string diskFile(const std::string& cameraPath) const { return slurp(disk() + cameraPath); }
    // What seeders left beside the disk.
    std::vector<std::string> seedLeftovers() const {
        std::vector<std::string> names;
        DIR* dir = opendir(m_strRoot.c_str());
        while (const dirent* entry = dir ? readdir(dir) : nullptr) {
            if (std::string(entry->d_name).find(".seeding.") != std::string::npos) {
                names.push_back(entry->d_name);
            }
        }
        if (dir) {
            closedir(dir);
        }
        return names;
    }
    void editDiskFile(const std::string& cameraPath, const std::string& from,
                      const std::string& to) const {
        std::string text = diskFile(cameraPath);
        size_t at = text.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        std::ofstream(disk() + cameraPath, std::ios::binary) << text.replace(at, from.size(), to);
    }
};

const char* const kScheme0 = "/mnt/mtd/code/config_file/sensor0.cfg";
const char* const kBoxStyle = "/hd1/moduleConfig/sensorConfig/style/Style.xml";

TEST_F(SensorctlTest, FlushedValueIsReadBackByTheNextRunAndDumpNamesItsKeys) {
    ToolRun first = run({"getParamScheme", "setParameters", "(34,61)", "1", "flush"});
    ASSERT_EQ(0, first.status) << first.err;
    EXPECT_EQ("true 0\n0\n0\n", first.out);

    ToolRun second = run({"getParameters", "(34,2337)", "dump", "sensor0.cfg"});
    ASSERT_EQ(0, second.status) << second.err;
    EXPECT_EQ(0u, second.out.find("true (34,61)(2337,128)\n"));
    EXPECT_TRUE(contains(second.out, "8000  KEY_SCHEME_MODE                   0\n"));
    EXPECT_TRUE(contains(second.out, "34    KEY_BRIGHTNESS                    61\n"));
}

TEST_F(SensorctlTest, NightReportedBySensorMovesDayNightCameraToScheme1AndDayBack) {
    ToolRun r = run({"setParameters", "(8000,2)", "1", "sim-dn", "1", "tick", "getParamScheme",
                     "sim-dn", "0", "tick", "getParamScheme"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("0\nok\n0\ntrue 1\nok\n0\ntrue 0\n", r.out);
}

TEST_F(SensorctlTest, TimeWindowOnTheCameraClockMovesScheduleCamera) {
    std::vector<std::string> args;
    for (const char* scheme : {"1", "3", "0"}) {
        for (const char* word :
             {"setParamScheme", scheme, "setParameters", "(8001,0)(8002,0)(8003,0)(8004,0)", "1"}) {
            args.push_back(word);
        }
    }
    for (const char* word :
         {"setParamScheme", "2", "setParameters", "(8001,8)(8002,0)(8003,18)(8004,0)", "1",
          "setParamScheme", "0", "sim-clock", "09:00", "setParameters", "(8000,1)", "1", "tick",
          "getParamScheme", "sim-clock", "18:00", "tick", "getParamScheme"}) {
        args.push_back(word);
    }
    ToolRun r = run(args);
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(contains(r.out, "ok\n0\n0\ntrue 2\nok\n0\ntrue 0\n")) << r.out;
}

TEST_F(SensorctlTest, ListShowsTheChoicesTheFittedSensorAccepts) {
    std::string profile = m_strRoot + "/narrow.profile";
    std::ofstream(profile) << "# a sensor with three max-shutter steps\n"
                              "range 49 0 9 8 9 10\nversion NARROW 1.0\n";
    ToolRun r = run({"--profile", profile, "list", "getCameraVerInf"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(contains(r.out,
                         "49    KEY_MAX_SHUTTER                   8       choices "
                         "8=\"1/25\" 9=\"1/30\" 10=\"1/50\"\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "34    KEY_BRIGHTNESS                    50      bounds 0..100"));
    EXPECT_TRUE(contains(r.out, "true NARROW 1.0\n"));
}

TEST_F(SensorctlTest, CheckPassesOnEverySampleCamera) {
    struct Sample {
        const char* family;
        const char* camera;
    };
    for (const Sample& sample : {Sample{"box", "1"}, Sample{"dome", "1"}, Sample{"thermal", "1"},
                                 Sample{"thermal", "2"}}) {
        SCOPED_TRACE(std::string(sample.family) + " camera " + sample.camera);
        removeTree(disk());
        ToolRun r = run({"--family", sample.family, "--camera", sample.camera, "check"});
        EXPECT_EQ(0, r.status) << r.out << r.err;
        EXPECT_EQ("check: 0 problems\n", r.out);
    }
}

TEST_F(SensorctlTest, SeederKilledMidWayLeavesNoHalfDiskAndTheNextRunSeedsItWhole) {
    // The file-size limit kills the tool at the first large sample file.
    ToolRun killed = run({"getParameter", "34"}, "", "ulimit -c 0; ulimit -f 4; ");
    ASSERT_NE(0, killed.status);
    EXPECT_FALSE(exists("/camera disk"));
    EXPECT_EQ(1u, seedLeftovers().size());

    ToolRun next = run({"getParameter", "34"});
    EXPECT_EQ(0, next.status) << next.err;
    EXPECT_EQ("true 50\n", next.out);
    EXPECT_EQ("box\n", diskFile("/sensorctl.family"));
    EXPECT_TRUE(seedLeftovers().empty()) << "the dead seeder's leftover is removed";
}

TEST_F(SensorctlTest, EmptyDirectoryIsSeededAndOneOfOtherFilesIsNeverReplaced) {
    ASSERT_EQ(0, mkdir(disk().c_str(), 0755));
    ToolRun seeded = run({"getParameter", "34"});
    EXPECT_EQ(0, seeded.status) << seeded.err;
    EXPECT_EQ("true 50\n", seeded.out);
    EXPECT_EQ("box\n", diskFile("/sensorctl.family"));

    removeTree(disk());
    writeFile("/camera disk/notes", "mine\n");
    ToolRun kept = run({"--reseed", "getParameter", "34"});
    EXPECT_EQ(1, kept.status);
    EXPECT_EQ(
        "sensorctl: root " + disk() + " holds files sensorctl did not seed; not replacing it\n",
        kept.err);
    EXPECT_EQ("mine\n", diskFile("/notes"));
    EXPECT_FALSE(exists("/camera disk/sensorctl.family"));
}

TEST_F(SensorctlTest, DiskOfAnotherFamilyIsRefusedUnlessReseedReplacesIt) {
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;
        const char* family;  // the disk's afterwards
    };
    const Step kSteps[] = {
        {{"--family", "dome", "setParameter", "34", "61", "1", "flush"}, 0, "0\n0\n", "dome"},
        {{"--family", "box", "getParameter", "34"}, 1, "", "dome"},
        {{"getParameter", "34"}, 0, "true 61\n", "dome"},
        {{"--family", "box", "--reseed", "setParameter", "34", "62", "1", "flush"},
         0,
         "0\n0\n",
         "box"},
        {{"--reseed", "getParameter", "34"}, 0, "true 50\n", "box"},
    };
    for (const Step& step : kSteps) {
        ToolRun r = run(step.args);
        EXPECT_EQ(step.status, r.status) << step.args[1] << r.err;
        EXPECT_EQ(step.out, r.out) << step.args[1];
        EXPECT_EQ(std::string(step.family) + "\n", diskFile("/sensorctl.family"));
        if (step.status != 0) {
            EXPECT_EQ("sensorctl: root " + disk() +
                          " holds a dome camera, not box (use --reseed to replace it)\n",
                      r.err);
        }
    }
    EXPECT_TRUE(seedLeftovers().empty());
}

TEST_F(SensorctlTest, CheckNamesEveryFaultOfABrokenStyle) {
    ASSERT_EQ(0, run({"getSensorStatus"}).status);
    editDiskFile(kBoxStyle, "<Item id=\"34\" value=\"50\"", "<Item id=\"34\" value=\"500\"");
    editDiskFile(kBoxStyle, "<Item id=\"2337\" value=\"128\"", "<Item id=\"2337x\" value=\"128\"");
    editDiskFile(kBoxStyle, "<Item id=\"2353\"", "<Item id=\"34\"");
    ToolRun r = run({"check"});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(contains(r.out, "setting 34 (Brightness): value 500 lies outside 0..100\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "setting 2337x (Saturation): id '2337x' is not a number\n"));
    EXPECT_TRUE(contains(r.out, "setting 34 (Contrast): id 34 repeats\n"));
    // The set changed under the files saved before: each is read by key.
    EXPECT_TRUE(contains(r.out,
                         "sensor3.cfg: another layout than the set: 101 records taken, 1 "
                         "ignored, 0 keys missing\n"));
    EXPECT_TRUE(contains(r.out, "check: 7 problems\n"));
}

TEST_F(SensorctlTest, UsageErrorsExitTwoNamingTheCommandBeforeAnyFileIsTouched) {
    struct Bad {
        std::vector<std::string> args;
        const char* message;
    };
    const Bad kBad[] = {
        {{"setParameters", "(34,70)", "1", "flush", "bogus"}, "sensorctl: bogus: unknown command"},
        {{"setParameter", "34", "x", "1"}, "sensorctl: setParameter: bad argument 'x'"},
        {{"flush", "getParameter"}, "sensorctl: getParameter: missing argument"},
        {{"sim-clock", "25:00"}, "sensorctl: sim-clock: bad argument '25:00'"},
        {{"--camera", "0", "flush"}, "sensorctl: --camera: expected a camera number"},
        {{"serve", "--listen"}, "sensorctl: serve: --listen: missing ADDR:PORT"},
        {{"serve", "--listen", "example.com:80"}, "sensorctl: serve: --listen: 'example.com'"},
        {{"serve", "--listen", "127.0.0.1:65536"}, "sensorctl: serve: --listen: expected"},
        {{"serve", "flush"}, "sensorctl: serve: unexpected 'flush'"},
    };
    for (const Bad& bad : kBad) {
        ToolRun r = run(bad.args);
        EXPECT_EQ(2, r.status);
        EXPECT_EQ(0u, r.err.find(bad.message)) << r.err;
        EXPECT_EQ("", r.out);
    }
    EXPECT_FALSE(exists("/camera disk")) << "a new disk is not even created";

    ASSERT_EQ(0, run({"setParameters", "(34,61)", "1"}).status);
    std::string saved = diskFile(kScheme0);
    EXPECT_EQ(2, run({"setParameters", "(34,70)", "1", "flush", "bogus"}).status);
    EXPECT_EQ(saved, diskFile(kScheme0));
}

TEST_F(SensorctlTest, StandardInputTakesOneCommandPerLineAndGoesOnAfterABadOne) {
    ToolRun r = run({},
                    "getParameter 34\n\n# a comment\nnope 1\nsetParameter 34 \"77\" 1\n"
                    "getParameter 34\nquit\ngetParameter 34\n");
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("true 50\n0\ntrue 77\n", r.out);
    EXPECT_TRUE(contains(r.err, "sensorctl: nope: unknown command\n"));
}

TEST_F(SensorctlTest, SimulatedFaultsAndTheCallLogAreVisible) {
    ToolRun r = run({"--debug", "6", "sim-fail", "34", "-1", "setParameter", "34", "66", "0",
                     "getParameter", "34", "sim-log"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, r.out.find("ok\n-34\ntrue 50\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "ch0 34 set in=66 out=\n"));
    EXPECT_TRUE(contains(diskFile("/sensorctl.log"), "~~~failed ia_ret=-1"))
        << "the module's reports go to the log in the root";
    EXPECT_FALSE(contains(r.err, "~~~failed"));
    EXPECT_TRUE(contains(r.err, "diagnostics are in " + disk() + "/sensorctl.log")) << r.err;
    EXPECT_EQ("6\n0\n", diskFile("/mnt/mtd/sign/Debug.sign"));
    ToolRun verbose = run({"-v", "sim-fail", "34", "-1", "setParameter", "34", "66", "0"});
    EXPECT_TRUE(contains(verbose.err, "~~~failed ia_ret=-1")) << "-v streams them";
}

// A link planted at the log is never written through: the diagnostics stay
// on standard error.
TEST_F(SensorctlTest, ALinkAtTheLogIsNotFollowed) {
    ASSERT_EQ(0, run({"getSensorStatus"}).status);
    std::string victim = m_strRoot + "/victim";
    std::ofstream(victim) << "keep";
    ASSERT_EQ(0, unlink((disk() + "/sensorctl.log").c_str()));
    ASSERT_EQ(0, symlink(victim.c_str(), (disk() + "/sensorctl.log").c_str()));
    ToolRun r = run({"--debug", "6", "sim-fail", "34", "-1", "setParameter", "34", "66", "0"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("keep", slurp(victim));
    EXPECT_TRUE(contains(r.err, "cannot keep the diagnostics")) << r.err;
    EXPECT_TRUE(contains(r.err, "~~~failed ia_ret=-1"));
}

}  // namespace

// check reads the disk as the module keeps it: one line per saved file that
// is cut, of another layout or repeats a key, and per gap in the machine's
// information; a flush that saves nothing fails the run.
TEST_F(SensorctlTest, CheckNamesEveryFaultOfTheDiskAndAFailedFlushFailsTheRun) {
    ASSERT_EQ(0, run({"getSensorStatus"}).status);
    const std::string config = "/mnt/mtd/code/config_file/";
    std::string scheme1 = diskFile(config + "sensor1.cfg");
    std::ofstream(disk() + config + "sensor1.cfg", std::ios::binary) << scheme1 + "abc";
    std::ofstream(disk() + config + "sensor2.cfg", std::ios::binary)
        << scheme1 + scheme1.substr(40, 8);
    std::ofstream(disk() + config + "sensor3.cfg", std::ios::binary) << scheme1.substr(8);
    ToolRun r = run({"check"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(
        "sensor1.cfg: 3 bytes after the last whole record\n"
        "sensor2.cfg: 103 records, the set has 102\n"
        "sensor2.cfg: key 34 saved 2 times\n"
        "sensor3.cfg: another layout than the set: 101 records taken, 0 ignored, 1 keys missing\n"
        "check: 4 problems\n",
        r.out.substr(0, r.out.find("check:") + 18));
    editDiskFile("/mnt/mtd/code/factory_setting/machineinfo.ini", "DeviceType=", "Device=");
    editDiskFile("/hd1/moduleConfig/moduleConfig.xml", "</ModuleConfig>", "");
    r = run({"check"});
    EXPECT_TRUE(contains(r.out, "machineinfo.ini: no DeviceType\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "moduleConfig.xml: missing or does not parse\n")) << r.out;
    // A directory that holds a file where scheme 0's file belongs: the save
    // cannot be put in place.
    std::string inTheWay = disk() + config + "sensor0.cfg";
    ASSERT_EQ(
        0, system(("rm " + shellQuoted(inTheWay) + " && mkdir -p " + shellQuoted(inTheWay + "/x"))
                      .c_str()));
    ToolRun unsaved = run({"setParameters", "(34,70)", "1", "flush"});
    EXPECT_EQ("0\n-1\n", unsaved.out);
    EXPECT_EQ(1, unsaved.status);
}
