// Faults of the processor and of the disk, one at a time, through the
// controller's public operations: what each operation answers and reports,
// and that its sets and files stay whole. A controller in a forked process,
// killed in the middle of a save, plays a power cut.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdint.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/ControllerFixture.h"
#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/SchemeSets.h"
#include "platform/HostSeams.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"

namespace {

const u32 kSchemes = 4;  // the sample modules ask for four schemes
const char kConfigDir[] = "/mnt/mtd/code/config_file";
const char kProcessorFailed[] = "~~~failed ia_ret=-1";
const char kAssertion[] = "Assertion failed";

typedef std::pair<uint32_t, uint32_t> Command;  // command and option

// The commands the processor received since the last clear.
std::set<Command> commandsSent() {
    std::set<Command> commands;
    for (const iasim::Call& call : iasim::calls()) {
        commands.emplace(call.cmd, call.opt);
    }
    return commands;
}

// A value that no set holds yet, so that a set is never skipped as unchanged.
int fresh() {
    static int s_nValue = 1000;
    return ++s_nValue;
}

// The shutter values the simulated sensor accepts, and its dynamic commands.
void offerShutterSteps() {
    iasim::setDynamicCommands(0, {IA_CMD_MAX_SHUTTER});
    iasim::setParamRange(0, IA_CMD_MAX_SHUTTER, 0, 2, {1, 2, 3});
}

class Faults : public ControllerFixture {
  protected:
    // A controller on the box, its automatic switching off, debug level 6.
    ISensorController& begin() {
        offerShutterSteps();
        start();
        setSign("6\n");
        m_layout = decodeSet(schemeFile(0));
        stdoutOf([&] { m_pController->setParamMode(0); });
        return *m_pController;
    }
    std::vector<KeyVals> caches() { return cachedSets(*m_pController, kSchemes, m_layout); }
    // A new controller on camera 1, as start() makes it; what its init printed.
    std::string restart() {
        m_pController.reset();
        m_pController.reset(new ISensorController());
        m_pController->setChannelID(1);
        m_pController->setVideoStreamModule(&m_objVideo);
        std::string out = stdoutOf([&] { m_pController->init(moduleFor(1)); });
        m_layout = decodeSet(schemeFile(0));
        return out;
    }
    // "" when each scheme's set in memory is its file's; else which are not.
    std::string setsUnlikeTheirFiles() {
        std::string unlike;
        for (u32 s = 0; s < kSchemes; ++s) {
            if (decodeSet(schemeFile(static_cast<int>(s))) !=
                cachedSet(*m_pController, s, m_layout)) {
                unlike += "scheme " + std::to_string(s) + " ";
            }
        }
        return unlike;
    }
    std::vector<std::string> schemeFiles() const {
        std::vector<std::string> files;
        for (int s = 0; s < static_cast<int>(kSchemes); ++s) {
            files.push_back(schemeFile(s));
        }
        return files;
    }
    int cached(u32 key) {
        u32 value = 0;
        m_pController->getKeyValFromCache(0, key, value);
        return static_cast<int>(value);
    }
    KeyVals m_layout;
};

// --- processor faults ---------------------------------------------------------

// Every key of the set, in the fixed and in the day/night scheme mode: each
// command its handler sends fails once. A handler that stops at the failure
// returns the row's key negated and records nothing anywhere; WDR and image
// adjustment report the processor's failure and go on.
TEST_F(Faults, EachCommandOfEveryKeyFailingLeavesEverySetAsItWas) {
    keycmd map[KEYCMD_ROWS];
    buildKeyCmdMap(map);
    for (const char* mode : {"(8000,0)", "(8000,2)"}) {
        SCOPED_TRACE(mode);
        ISensorController& c = begin();
        stdoutOf([&] { ASSERT_EQ(0, c.setParameters(mode, true)); });
        for (const KeyVal& record : m_layout) {
            const keycmd* row = std::find_if(map, map + KEYCMD_ROWS,
                                             [&](const keycmd& r) { return r.key == record.key; });
            if (row == map + KEYCMD_ROWS || !row->handler) {
                continue;  // recorded only
            }
            iasim::clearCalls();
            int ret = -1;
            stdoutOf([&] { ret = c.setParameter(static_cast<int>(record.key), fresh(), true); });
            ASSERT_EQ(0, ret) << record.key;
            bool ridesOver = row->handler == &ISensorController::doHwdr ||
                             row->handler == &ISensorController::doImageAdjust;
            for (const Command& command : commandsSent()) {
                SCOPED_TRACE("key " + std::to_string(record.key) + " command " +
                             std::to_string(command.first));
                const std::vector<KeyVals> before = caches();
                const int value = fresh();
                iasim::failCommand(0, command.first, -1, static_cast<int>(command.second));
                std::string out = stdoutOf(
                    [&] { ret = c.setParameter(static_cast<int>(record.key), value, true); });
                iasim::failCommand(0, command.first, 0, static_cast<int>(command.second));
                if (ridesOver) {
                    EXPECT_EQ(0, ret);
                    EXPECT_TRUE(contains(out, kAssertion));
                    EXPECT_EQ(value, cached(record.key));
                } else {
                    EXPECT_EQ(-static_cast<int>(record.key), ret);
                    EXPECT_TRUE(contains(out, kProcessorFailed));
                    EXPECT_EQ("", changesBetween(before, caches()));
                }
            }
        }
    }
}

// One public operation: how to bring the controller to where it has work to
// do, the call (true when it answers success), the commands whose failure
// the operation rides over, and what it prints at debug level 6 about a
// failure ("" when only its answer tells).
struct Operation {
    const char* name;
    std::function<void(ISensorController&)> prepare;
    std::function<bool(ISensorController&)> run;
    std::set<uint32_t> ridesOver;
    bool ridesOverAll;
    const char* report;
};

// A read through op that must answer success with the wanted value.
bool reads(const std::function<bool(int&)>& op, int wanted) {
    int value = wanted - 1;
    bool ok = op(value);
    return ok && value == wanted;
}

// clang-format off
const Operation kOperations[] = {
    {"getParameter", nullptr, [](ISensorController& c) { return reads([&](int& v) { return c.getParameter(9999, v); }, 7); }, {}, false, kAssertion},
    {"getParameters", nullptr, [](ISensorController& c) { std::string t; return c.getParameters("(34,9999)", t) && t == "(34,50)(9999,7)"; }, {}, false, kAssertion},
    {"getAllParameters", nullptr, [](ISensorController& c) { std::string t; return c.getAllParameters(t) && contains(t, "(34,"); }, {}, true, kAssertion},
    {"SensorCheck", nullptr, [](ISensorController& c) { std::string r = "(1,2,3)"; return c.SensorCheck(r) == 0; }, {}, false, ""},
    {"getCmdExecStatus", nullptr, [](ISensorController& c) { return reads([&](int& s) { return c.getCmdExecStatus(34, s); }, 1); }, {}, false, ""},
    {"setParametersText", nullptr, [](ISensorController& c) { return c.setParameters("(2337," + std::to_string(fresh()) + ")", true) == 0; }, {}, false, kProcessorFailed},
    {"setParameter", nullptr, [](ISensorController& c) { return c.setParameter(KEY_CONTRAST, fresh(), true) == 0; }, {}, false, kProcessorFailed},
    {"restore", [](ISensorController& c) { c.setParameter(KEY_BRIGHTNESS, fresh(), false); }, [](ISensorController& c) { return c.restore(KEY_BRIGHTNESS) == 0; }, {}, false, kProcessorFailed},
    {"restoreAeMode", nullptr, [](ISensorController& c) { return c.restoreAeMode(); }, {}, false, kProcessorFailed},
    {"resetToLastParameters", [](ISensorController& c) { c.flush(); c.setParameter(KEY_BRIGHTNESS, fresh(), true); }, [](ISensorController& c) { return c.resetToLastParameters(); }, {}, false, kProcessorFailed},
    {"setParamScheme", [](ISensorController& c) { c.setParamScheme(0); }, [](ISensorController& c) { return c.setParamScheme(1); }, {}, true, kAssertion},
    {"setDNMode", nullptr, [](ISensorController& c) { return c.setDNMode(fresh()); }, {}, false, kProcessorFailed},
    {"setMirrorMode", [](ISensorController& c) { c.setParameter(KEY_MIRROR, 0, true); }, [](ISensorController& c) { return c.setMirrorMode(1); }, {}, false, kProcessorFailed},
    {"setWhiteMode", nullptr, [](ISensorController& c) { return c.setWhiteMode(fresh()); }, {}, false, kProcessorFailed},
    {"setIRSwitch", [](ISensorController& c) { c.setParameter(KEY_IR_SWITCH, 0, true); c.setParameter(KEY_WHITE_SWITCH, 0, true); }, [](ISensorController& c) { return c.setIRSwitch(1); }, {}, false, ""},
    {"setWhiteSwitch", [](ISensorController& c) { c.setParameter(KEY_IR_SWITCH, 0, true); c.setParameter(KEY_WHITE_SWITCH, 0, true); }, [](ISensorController& c) { return c.setWhiteSwitch(1); }, {}, false, ""},
    {"getShutterValue", [](ISensorController& c) { c.setParameter(KEY_MAX_SHUTTER, 2, true); }, [](ISensorController& c) { return reads([&](int& i) { return c.getShutterValue(i); }, 1); }, {}, false, ""},
    {"setShutterValue", [](ISensorController& c) { c.setParameter(KEY_MAX_SHUTTER, 1, true); }, [](ISensorController& c) { return c.setShutterValue(1); }, {}, false, ""},
    {"shutterUp", [](ISensorController& c) { c.setParameter(KEY_MAX_SHUTTER, 1, true); }, [](ISensorController& c) { return c.shutterUp(); }, {}, false, ""},
    {"shutterDown", [](ISensorController& c) { c.setParameter(KEY_MAX_SHUTTER, 2, true); }, [](ISensorController& c) { return c.shutterDown(); }, {}, false, ""},
    {"getSensorParamRange", nullptr, [](ISensorController& c) { int d = 0; std::string r; return c.getSensorParamRange(49, d, r) && r == "1 2 3"; }, {}, false, kAssertion},
    {"getUIStyleFile", nullptr, [](ISensorController& c) { return contains(c.getUIStyleFile(), "<Item id=\"34\""); }, {}, true, kAssertion},
    {"focusFar", nullptr, [](ISensorController& c) { return c.focusFar(); }, {IA_CMD_AUTO_FOCUS_MODE}, false, ""},
    {"focusNear", nullptr, [](ISensorController& c) { return c.focusNear(); }, {IA_CMD_AUTO_FOCUS_MODE}, false, ""},
    {"irisUp", nullptr, [](ISensorController& c) { return c.irisUp(); }, {}, false, ""},
    {"irisDown", nullptr, [](ISensorController& c) { return c.irisDown(); }, {}, false, ""},
    {"setIrisValue", nullptr, [](ISensorController& c) { return c.setIrisValue(300); }, {}, false, ""},
    {"getIrisValue", nullptr, [](ISensorController& c) { int v = 0; return c.getIrisValue(v); }, {}, false, ""},
    {"zoomIn", nullptr, [](ISensorController& c) { return c.zoomIn(); }, {}, false, ""},
    {"zoomOut", nullptr, [](ISensorController& c) { return c.zoomOut(); }, {}, false, ""},
    {"getZoomValue", nullptr, [](ISensorController& c) { int p = 0, r = 0; return c.getZoomValue(p, r); }, {}, false, ""},
    {"setZoomValue", nullptr, [](ISensorController& c) { return c.setZoomValue(20000); }, {}, false, ""},
    {"setPTZRunState", nullptr, [](ISensorController& c) { return c.setPTZRunState(1); }, {}, false, ""},
    {"setFocusValue", nullptr, [](ISensorController& c) { return c.setFocusValue(100); }, {}, false, ""},
    {"getFocusValue", nullptr, [](ISensorController& c) { int v = 0; return c.getFocusValue(v); }, {}, false, ""},
    {"setFocusMode", nullptr, [](ISensorController& c) { return c.setFocusMode(1); }, {}, false, ""},
    {"getFocusMode", nullptr, [](ISensorController& c) { int v = 0; return c.getFocusMode(v); }, {}, false, ""},
    {"getDNState", nullptr, [](ISensorController& c) { int v = 0; return c.getDNState(v); }, {}, false, ""},
    {"getAFStatistic", nullptr, [](ISensorController& c) { unsigned v = 0; return c.getAFStatistic(v); }, {}, false, ""},
    {"getWDR", nullptr, [](ISensorController& c) { int v = 0; return c.getWDR(v); }, {}, false, ""},
    {"getCameraVerInf", nullptr, [](ISensorController& c) { std::string v; return c.getCameraVerInf(v); }, {}, false, ""},
    {"getIRSwitch", nullptr, [](ISensorController& c) { int v = 0; return c.getIRSwitch(v); }, {}, false, ""},
    {"getWhiteSwitch", nullptr, [](ISensorController& c) { int v = 0; return c.getWhiteSwitch(v); }, {}, false, ""},
    {"getWhiteMode", nullptr, [](ISensorController& c) { int v = 0; return c.getWhiteMode(v); }, {}, false, ""},
};
// clang-format on

// Each operation that reaches the processor meets each of its commands
// failing once: it answers failure unless the documents let it ride over
// that command, prints what they say, and leaves every set and the scheme
// file as they were.
TEST_F(Faults, EachCommandOfEveryOperationFailingIsAnsweredAndLeavesTheSetsWhole) {
    ISensorController& c = begin();
    iasim::setValue(0, 9999, 7);
    stdoutOf([&] {
        ASSERT_TRUE(c.setParamScheme(1));  // scheme 1 differs in two keys
        ASSERT_EQ(0, c.setParameters("(34,61)(2337,62)", true));
        ASSERT_TRUE(c.setParamScheme(0));
    });
    for (const Operation& op : kOperations) {
        SCOPED_TRACE(op.name);
        bool ok = false;
        std::set<Command> commands;
        stdoutOf([&] {
            if (op.prepare) {
                op.prepare(c);
            }
            iasim::clearCalls();
            ok = op.run(c);
            commands = commandsSent();
        });
        ASSERT_TRUE(ok) << "the operation fails without a fault";
        ASSERT_FALSE(commands.empty()) << "the operation reaches no processor command";
        for (const Command& command : commands) {
            SCOPED_TRACE("command " + std::to_string(command.first) + " option " +
                         std::to_string(command.second));
            stdoutOf([&] {
                if (op.prepare) {
                    op.prepare(c);
                }
            });
            const std::vector<KeyVals> before = caches();
            const std::string file = schemeFile(0);
            iasim::failCommand(0, command.first, -1, static_cast<int>(command.second));
            std::string out = stdoutOf([&] { ok = op.run(c); });
            iasim::failCommand(0, command.first, 0, static_cast<int>(command.second));
            EXPECT_EQ(op.ridesOverAll || op.ridesOver.count(command.first) != 0, ok);
            EXPECT_TRUE(contains(out, op.report)) << out;
            EXPECT_EQ("", changesBetween(before, caches()));
            EXPECT_EQ(file, schemeFile(0));
        }
    }
}

// init and resetParameters report a failing command and go on: they answer
// true, the controller is ready, and each set in memory is its file's.
TEST_F(Faults, InitAndResetRideOverAFailingCommandWithSetsEqualToTheirFiles) {
    offerShutterSteps();
    iasim::clearCalls();
    start();
    std::vector<Command> commands;
    int sets = 0;
    for (const Command& command : commandsSent()) {
        if (command.second != IA_CMD_OPT_SET || sets++ % 8 == 0) {
            commands.push_back(command);  // every query, and a sample of the sets
        }
    }
    for (const Command& command : commands) {
        SCOPED_TRACE("command " + std::to_string(command.first) + " option " +
                     std::to_string(command.second));
        iasim::failCommand(0, command.first, -1, static_cast<int>(command.second));
        std::string out = restart();
        EXPECT_TRUE(m_pController->getSensorStatus());
        EXPECT_EQ("", setsUnlikeTheirFiles());
        bool reset = false;
        out += stdoutOf([&] {
            m_pController->setParameter(KEY_CONTRAST, fresh(), true);
            m_pController->flush();
            reset = m_pController->resetParameters();
        });
        iasim::failCommand(0, command.first, 0, static_cast<int>(command.second));
        EXPECT_TRUE(contains(out, kAssertion)) << out;
        EXPECT_TRUE(reset);
        const KeyVals factory = cachedSet(*m_pController, kSchemes, m_layout);
        for (int s = 0; s < static_cast<int>(kSchemes); ++s) {
            EXPECT_EQ(factory, decodeSet(schemeFile(s))) << "scheme " << s;
        }
        EXPECT_EQ("", setsUnlikeTheirFiles());
        stdoutOf([&] { EXPECT_EQ(0, m_pController->setParameter(KEY_BRIGHTNESS, 77, true)); });
        EXPECT_EQ(77, lastSet(KEY_BRIGHTNESS));
    }
}

// --- file faults --------------------------------------------------------------

typedef std::vector<std::string> Names;
const Names kConfigFiles = {"sensor0.cfg", "sensor1.cfg", "sensor2.cfg", "sensor3.cfg",
                            "snsversion.cfg"};

// A save meets a failing file operation (as a full or read-only flash, or a
// failing one, would make it fail: tests run as root, where permissions stop
// nothing, so the stand-in fails it).
struct SaveFault {
    const char* name;
    platform::FileOperation op;
    long afterBytes;
};
const SaveFault kSaveFaults[] = {{"OpenFails", platform::fileOpen, 0},
                                 {"WriteMovesNothing", platform::fileWrite, 0},
                                 {"WriteComesUpShort", platform::fileWrite, 8 * 5 + 3},
                                 {"SyncFails", platform::fileSync, 0},
                                 {"RenameFails", platform::fileRename, 0}};

// flush reports the failure and answers -1, the file it would replace stays
// whole, no temporary file is left, and the next init loads the previous set.
TEST_F(Faults, FailedSaveLeavesThePreviousFileWholeForTheNextInit) {
    ISensorController& c = begin();
    stdoutOf([&] {
        ASSERT_EQ(0, c.setParameter(KEY_BRIGHTNESS, 77, true));
        ASSERT_EQ(0, c.flush());
    });
    const std::string saved = schemeFile(0);
    for (const SaveFault& fault : kSaveFaults) {
        SCOPED_TRACE(fault.name);
        int ret = -1;
        stdoutOf([&] { ASSERT_EQ(0, m_pController->setParameter(KEY_BRIGHTNESS, 88, true)); });
        platform::failFileOperation(fault.op, "sensor0.cfg", fault.afterBytes);
        std::string out = stdoutOf([&] { ret = m_pController->flush(); });
        platform::clearFileFaults();
        EXPECT_EQ(-1, ret);
        EXPECT_TRUE(contains(out, kAssertion)) << out;
        EXPECT_EQ(saved, schemeFile(0));
        EXPECT_EQ(kConfigFiles, dirEntries(hostPath(kConfigDir)));
        restart();
        EXPECT_EQ(77, value(34));
        EXPECT_EQ("", setsUnlikeTheirFiles());
    }
}

// An init that cannot read what it needs reports it, keeps the factory values
// it could not replace, damages no file, and the next init loads every set.
struct LoadFault {
    const char* name;
    platform::FileOperation op;
    const char* path;
    long afterBytes;
    size_t recordsRead;  // of scheme 1's file; the rest keep the factory values
    const char* report;
};
const LoadFault kLoadFaults[] = {
    {"SchemeFileCannotBeOpened", platform::fileOpen, "sensor1.cfg", 0, 0, "file.open(file_name)"},
    {"SchemeFileReadsShort", platform::fileRead, "sensor1.cfg", 8 * 10 + 3, 10,
     "nSize == sizeof(KeyVal)*p_nKeyValNum"},
    {"VersionCannotBeSaved", platform::fileWrite, "snsversion.cfg", 0, SIZE_MAX,
     "SNS_SUCCESS == setVersion(m_nVersion)"},
    {"StyleCannotBeOpened", platform::fileOpen, "/style/Style.xml", 0, SIZE_MAX, kAssertion},
};

TEST_F(Faults, FailedLoadDamagesNoFileAndTheNextInitLoadsEverySet) {
    ISensorController& c = begin();
    stdoutOf([&] {
        ASSERT_TRUE(c.setParamScheme(1));
        ASSERT_EQ(0, c.setParameters("(8001,6)(34,71)(2337,72)(1536,1)", true));
        ASSERT_EQ(0, c.flush());
    });
    const std::vector<std::string> files = schemeFiles();
    for (const LoadFault& fault : kLoadFaults) {
        SCOPED_TRACE(fault.name);
        platform::failFileOperation(fault.op, fault.path, fault.afterBytes);
        std::string out = restart();
        platform::clearFileFaults();
        EXPECT_TRUE(contains(out, fault.report)) << out;
        EXPECT_TRUE(m_pController->getSensorStatus());
        if (fault.recordsRead != SIZE_MAX) {
            KeyVals expected = cachedSet(*m_pController, kSchemes, m_layout);
            const KeyVals onDisk = decodeSet(files[1]);
            std::copy(onDisk.begin(), onDisk.begin() + fault.recordsRead, expected.begin());
            EXPECT_EQ(expected, cachedSet(*m_pController, 1, m_layout));
        }
        stdoutOf([&] { m_pController->flush(); });  // scheme 0 is current
        EXPECT_TRUE(files == schemeFiles()) << "a scheme file was changed";
        restart();
        EXPECT_EQ("", setsUnlikeTheirFiles());
        EXPECT_EQ(71, valueIn(cachedSet(*m_pController, 1, m_layout), 34));
    }
}

// A full disk at init: the old version made init remove the saved sets and
// the new version could not be written. Until it is, no save is taken as done
// (the next start would remove it), and the first save that can write it does.
TEST_F(Faults, VersionThatInitCouldNotWriteIsWrittenBeforeTheFirstSave) {
    begin();
    writeFile(std::string(kConfigDir) + "/snsversion.cfg", std::string("\x07\0\0\0", 4));
    platform::failFileOperation(platform::fileOpen, "snsversion.cfg");
    restart();
    int first = 0;
    stdoutOf([&] {
        ASSERT_EQ(0, m_pController->setParameter(KEY_BRIGHTNESS, 61, true));
        first = m_pController->flush();
    });
    platform::clearFileFaults();
    EXPECT_EQ(-1, first);
    EXPECT_EQ(0, m_pController->flush());
    EXPECT_EQ(std::string("\x08\0\0\0", 4), readFile(std::string(kConfigDir) + "/snsversion.cfg"));
    restart();
    EXPECT_EQ(61, value(KEY_BRIGHTNESS));
}

// --- power cut during a save -----------------------------------------------------

// Where a save is cut: before each step of the replacement, and at bytes of
// its write from the first to the last. Only a cut after the rename finds the
// new set on the disk.
struct CutPoint {
    platform::FileOperation op;
    const char* path;
    long at;
    bool saved;
};

// In a forked process: a controller that saves (34,88) and is stopped at the
// point; its parent kills it there.
void saveUntilCut(const CutPoint& point, const ModuleConfigure& module) {
    alarm(60);  // a child that hangs ends here, and so its parent's wait
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    ISensorController controller;
    controller.setChannelID(1);
    controller.init(module);
    controller.setParameter(KEY_BRIGHTNESS, 88, true);
    platform::stopFileOperation(point.op, point.path, point.at);
    controller.flush();
    _exit(0);
}

TEST_F(Faults, PowerCutDuringFlushLeavesTheOldOrTheNewSetForTheNextInit) {
    ISensorController& c = begin();
    stdoutOf([&] {
        ASSERT_EQ(0, c.setParameter(KEY_BRIGHTNESS, 77, true));
        ASSERT_EQ(0, c.flush());
    });
    const std::string older = schemeFile(0);
    const std::string newer = encodeSet(withValue(decodeSet(older), 34, 88));
    const long size = static_cast<long>(older.size());
    std::vector<CutPoint> points = {{platform::fileOpen, "sensor0.cfg", 0, false}};
    for (long at : {0L, 1L, 4L, 7L, 8L, 9L, size / 2, size - 1, size}) {
        points.push_back({platform::fileWrite, "sensor0.cfg", at, false});
    }
    for (long at = 13; at < size; at += 61) {
        points.push_back({platform::fileWrite, "sensor0.cfg", at, false});
    }
    points.push_back({platform::fileSync, "sensor0.cfg", 0, false});
    points.push_back({platform::fileRename, "sensor0.cfg", 0, false});
    points.push_back({platform::fileSyncDirectory, "config_file", 0, true});
    const ModuleConfigure module = moduleFor(1);
    m_pController.reset();  // no thread of the test runs through the forks
    for (const CutPoint& point : points) {
        SCOPED_TRACE("operation " + std::to_string(point.op) + " at " + std::to_string(point.at));
        pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            saveUntilCut(point, module);
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, WUNTRACED));
        EXPECT_TRUE(WIFSTOPPED(status)) << "the save ended before the point, status " << status;
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        EXPECT_EQ(point.saved ? newer : older, schemeFile(0));
        restart();
        EXPECT_EQ(point.saved ? 88 : 77, value(34));
        EXPECT_EQ("", setsUnlikeTheirFiles());
        m_pController.reset();
        writeFile(std::string(kConfigDir) + "/sensor0.cfg", older);
    }
    restart();
    stdoutOf([&] { EXPECT_EQ(0, m_pController->setParameter(KEY_BRIGHTNESS, 99, true)); });
    EXPECT_EQ(0, m_pController->flush());
    EXPECT_EQ(kConfigFiles, dirEntries(hostPath(kConfigDir))) << "the next save takes the rest";
}

}  // namespace
