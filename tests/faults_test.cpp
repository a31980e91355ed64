// Faults of the processor and of the disk, one at a time, through the
// controller's public operations: what each operation answers and reports,
// and that its sets and files stay whole. A controller in a forked process,
// killed in the middle of a save, plays a power cut.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Reports.h"
#include "fixtures/SchemeSets.h"
#include "platform/HostSeams.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"

namespace {

const u32 kSchemes = 4;  // the sample modules ask for four schemes
const char kVersion[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const char kProcessorFailed[] = "~~~failed ia_ret=-1";
const char kAssertion[] = "Assertion failed";

typedef std::pair<uint32_t, uint32_t> Command;  // command and option

// The commands the processor received since the last clear.
std::set<Command> commandsSent() {
    std::set<Command> commands;
    for (const iasim::Call& call : iasim::calls()) commands.emplace(call.cmd, call.opt);
    return commands;
}

// What run printed while the command failed.
std::string failing(const Command& command, const std::function<void()>& run) {
    iasim::failCommand(0, command.first, -1, static_cast<int>(command.second));
    std::string out = stdoutOf(run);
    iasim::failCommand(0, command.first, 0, static_cast<int>(command.second));
    return out;
}

// ++s_nFresh: a value that no set holds yet, so that a set is never skipped as unchanged.
int s_nFresh = 1000;

struct Faults : ControllerFixture {
    // A controller on the box, its automatic switching off, debug level 6;
    // the simulated sensor offers shutter steps.
    ISensorController& begin() {
        iasim::setDynamicCommands(0, {IA_CMD_MAX_SHUTTER});
        iasim::setParamRange(0, IA_CMD_MAX_SHUTTER, 0, 2, {1, 2, 3});
        start();
        setSign("6\n");
        m_layout = decodeSet(schemeFile(0));
        stdoutOf([&] { m_pController->setParamMode(0); });
        return *m_pController;
    }
    std::vector<KeyVals> caches() { return cachedSets(*m_pController, kSchemes, m_layout); }
    // A new controller on camera 1 of the disk as it is.
    void restart() { m_pController.reset(), start(); }
    // The sets of the scheme files, and the factory set in memory: caches() when
    // each scheme's set in memory is its file's.
    std::vector<KeyVals> files() {
        std::vector<KeyVals> sets = caches();
        for (u32 s = 0; s < kSchemes; ++s) sets[s] = decodeSet(schemeFile(s));
        return sets;
    }
    KeyVals m_layout;
};

// --- processor faults ---------------------------------------------------------

// One public operation: how to bring the controller to where it has work to
// do, the call (true when it answers success), the command whose failure it
// rides over (kAll: every one), and what it prints at debug level 6 about a
// failure ("" when only its answer tells).
const uint32_t kAll = UINT32_MAX;
// clang-format off
struct Operation { std::string name; std::function<void(ISensorController&)> prepare;
    std::function<bool(ISensorController&)> run; uint32_t ridesOver; const char* report; };
const Operation kOperations[] = {
    {"getParameters", nullptr, [](ISensorController& c) { std::string t; return c.getParameters("(34,9999)", t) && t == "(34,50)(9999,7)"; }, 0, kAssertion},
    {"getAllParameters", nullptr, [](ISensorController& c) { std::string t; return c.getAllParameters(t) && contains(t, "(34,"); }, kAll, kAssertion},
    {"resetToLastParameters", [](ISensorController& c) { c.flush(); c.setParameter(KEY_BRIGHTNESS, ++s_nFresh, true); }, [](ISensorController& c) { return c.resetToLastParameters(); }, 0, kProcessorFailed},
    {"setParamScheme", [](ISensorController& c) { c.setParamScheme(0); }, [](ISensorController& c) { return c.setParamScheme(1); }, kAll, kAssertion},
    {"setIRSwitch", [](ISensorController& c) { c.setParameter(KEY_IR_SWITCH, 0, true); }, [](ISensorController& c) { return c.setIRSwitch(1); }, 0, ""},
};
// clang-format on

// Each operation that reaches the processor meets each of its commands
// failing once: it answers failure unless it may ride over that command,
// prints its report, and when it fails leaves every set and the scheme file
// as they were. The operations include setting each key of the set (in the
// day/night scheme mode) that has a handler: one that stops at the failure
// returns the key negated; WDR and image adjustment report the processor's
// failure and go on.
TEST_F(Faults, EachCommandOfEveryOperationFailingIsAnsweredAndLeavesTheSetsWhole) {
    ISensorController& c = begin();
    iasim::setValue(0, 9999, 7);
    stdoutOf([&] {  // scheme 1 differs in two keys
        ASSERT_TRUE(c.setParamScheme(1) && c.setParameters("(34,61)(2337,62)", true) == 0 &&
                    c.setParamScheme(0) && c.setParameters("(8000,2)", true) == 0);
    });
    std::vector<Operation> operations(std::begin(kOperations), std::end(kOperations));
    keycmd map[KEYCMD_ROWS];
    buildKeyCmdMap(map);
    for (const keycmd& row : map) {
        const int key = static_cast<int>(row.key);
        if (row.handler && valueIn(m_layout, row.key) != INT32_MIN) {  // else recorded only
            const bool on = row.handler == &ISensorController::doHwdr ||
                            row.handler == &ISensorController::doImageAdjust;
            // clang-format off
            operations.push_back({"key " + std::to_string(key), nullptr, [key](auto& s) {
                const int ret = s.setParameter(key, ++s_nFresh, true);
                EXPECT_TRUE(ret == 0 || ret == -key) << ret;
                return ret == 0; }, on ? kAll : 0, on ? kAssertion : kProcessorFailed});
            // clang-format on
        }
    }
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        auto prepare = [&] { stdoutOf([&] { op.prepare ? op.prepare(c) : void(); }); };
        prepare();
        iasim::clearCalls();
        bool ok = false;
        stdoutOf([&] { ok = op.run(c); });
        ASSERT_TRUE(ok) << "fails without a fault";
        EXPECT_TRUE(!commandsSent().empty() || op.name.find("key ") == 0) << "reaches no command";
        for (const Command& command : commandsSent()) {
            SCOPED_TRACE(testing::Message() << "cmd " << command.first << "/" << command.second);
            prepare();
            const std::vector<KeyVals> before = caches();
            const std::string file = schemeFile(0);
            std::string out = failing(command, [&] { ok = op.run(c); });
            EXPECT_EQ(op.ridesOver == kAll || op.ridesOver == command.first, ok);
            EXPECT_TRUE(contains(out, op.report)) << out;
            EXPECT_EQ(before, ok ? before : caches());
            EXPECT_EQ(file, schemeFile(0));
        }
    }
}

// init and resetParameters report a failing command and go on: they answer
// true, the controller is ready, each set in memory is its file's, and reset
// writes the factory set to every scheme file.
TEST_F(Faults, InitAndResetRideOverAFailingCommandWithSetsEqualToTheirFiles) {
    begin();
    iasim::clearCalls();
    restart();
    int sets = 0;
    for (const Command& command : commandsSent()) {
        // every query, and a sample of the sets
        if (command.second == IA_CMD_OPT_SET && sets++ % 16 != 0)
            continue;
        SCOPED_TRACE(testing::Message() << "command " << command.first << "/" << command.second);
        iasim::failCommand(0, command.first, -1, static_cast<int>(command.second));
        restart();
        EXPECT_TRUE(m_pController->getSensorStatus());
        EXPECT_EQ(caches(), files());
        const std::string out = failing(command, [&] {
            m_pController->setParameter(KEY_CONTRAST, ++s_nFresh, true), m_pController->flush();
            EXPECT_TRUE(m_pController->resetParameters());
        });
        EXPECT_TRUE(contains(out, kAssertion)) << out;
        EXPECT_EQ(std::vector<KeyVals>(kSchemes + 1, caches().back()), caches());
        EXPECT_EQ(caches(), files());  // and so the files hold the factory set
    }
}

// --- file faults --------------------------------------------------------------

// A full disk at init: the old version made init remove the saved sets and
// the new version could not be written. Until it is, no save is taken as done
// (the next start would remove it), and the first save that can write it does.
TEST_F(Faults, VersionThatInitCouldNotWriteIsWrittenBeforeTheFirstSave) {
    begin();
    writeFile(kVersion, std::string("\x07\0\0\0", 4));
    platform::failFileOperation(platform::fileOpen, "snsversion.cfg");
    restart();
    stdoutOf([&] {
        ASSERT_EQ(0, m_pController->setParameter(KEY_BRIGHTNESS, 61, true));
        EXPECT_EQ(-1, m_pController->flush());
    });
    platform::clearFileFaults();
    EXPECT_EQ(0, m_pController->flush());
    EXPECT_EQ(std::string("\x08\0\0\0", 4), readFile(kVersion));
    restart();
    EXPECT_EQ(61, value(KEY_BRIGHTNESS));
}

// --- failed and cut saves -------------------------------------------------------

// A save of (34,88) over (34,77) is cut before each step of the replacement,
// and at bytes of its write: a forked controller stops itself at the point,
// where its parent kills it. The old file stays whole for the next init; only
// a cut after the rename finds the new set. (A save that fails at these
// steps, and what a killed save leaves for the next to remove:
// file_replacement_test; a flush that fails: the version test above.)
TEST_F(Faults, PowerCutDuringFlushLeavesTheOldOrTheNewSetForTheNextInit) {
    ISensorController& c = begin();
    stdoutOf([&] { ASSERT_EQ(0, c.setParameter(KEY_BRIGHTNESS, 77, true) + c.flush()); });
    const std::string older = schemeFile(0), newer = encodeSet(withValue(decodeSet(older), 34, 88));
    const long size = static_cast<long>(older.size());
    const std::pair<platform::FileOperation, long> points[] = {
        {platform::fileOpen, 0},         {platform::fileWrite, 0},        {platform::fileWrite, 9},
        {platform::fileWrite, size / 2}, {platform::fileWrite, size},     {platform::fileSync, 0},
        {platform::fileRename, 0},       {platform::fileSyncDirectory, 0}};
    for (const auto& point : points) {
        SCOPED_TRACE(testing::Message() << "operation " << point.first << " at " << point.second);
        const bool saved = point.first == platform::fileSyncDirectory;
        m_pController.reset();  // no thread of the test runs through the fork
        pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            alarm(60);  // a child that hangs ends here, and so its parent's wait
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
            start().setParameter(KEY_BRIGHTNESS, 88, true);
            platform::stopFileOperation(point.first, saved ? "config_file" : "sensor0.cfg",
                                        point.second);
            m_pController->flush();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, WUNTRACED));
        EXPECT_TRUE(WIFSTOPPED(status)) << "the save ended before the point, status " << status;
        kill(child, SIGKILL), waitpid(child, &status, 0);
        EXPECT_EQ(saved ? newer : older, schemeFile(0));
        restart();
        EXPECT_EQ(caches(), files());  // and so (34,88) or (34,77)
        // The one cut that saves comes last: no file to put back.
    }
}

}  // namespace
