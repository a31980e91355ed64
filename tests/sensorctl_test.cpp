// sensorctl run as a user runs it: a separate process on a camera disk of
// its own, answers on standard output, diagnostics on standard error.
#include <sys/wait.h>

#include <string>
#include <vector>

#include "fixtures/DirEntries.h"
#include "fixtures/SandboxRoot.h"
#include "platform/ShellQuote.h"

namespace {

using platform::shellQuoted;
typedef std::vector<std::string> Words;

struct ToolRun {
    int status;
    std::string out, err;
};

class SensorctlTest : public SandboxRoot {
  protected:
    // The tool's disk: a directory with a blank in its name, not there yet.
    std::string disk() const { return m_strRoot + "/camera disk"; }
    ToolRun run(const Words& args) const {
        std::string command = "cd " + shellQuoted(m_strRoot) + " && " SENSORCTL_COMMAND " --root " +
                              shellQuoted(disk()) + " --wait-scale 1";
        for (const std::string& arg : args) command += " " + shellQuoted(arg);
        int status = system((command + " </dev/null >out 2>err").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile("/out"), readFile("/err")};
    }
};

TEST_F(SensorctlTest, UsageErrorsExitTwoNamingTheCommandBeforeAnyFileIsTouched) {
    // The first row is one word with quotes and blanks, passed whole.
    // clang-format off
    const std::pair<Words, std::string> bad[] = {
        {{"it's a \"test\"  `id` $HOME"}, "it's a \"test\"  `id` $HOME: unknown command"},
        {{"setParameters", "(34,70)", "1", "flush", "bogus"}, "bogus: unknown command"},
        {{"setParameter", "34", "x", "1"}, "setParameter: bad argument 'x'"},
        {{"flush", "getParameter"}, "getParameter: missing argument"},
        {{"serve", "--listen"}, "serve: --listen: missing ADDR:PORT"},
        {{"sim-clock", "25:00"}, "sim-clock: bad argument '25:00'"},
        {{"serve", "flush"}, "serve: unexpected 'flush'"},
        {{"--camera", "0", "flush"}, "--camera: expected a camera number"},
        {{"serve", "--listen", "example.com:80"}, "serve: --listen: 'example.com'"},
        {{"serve", "--listen", "127.0.0.1:65536"}, "serve: --listen: expected"}};
    // clang-format on
    for (const auto& b : bad) {
        ToolRun r = run(b.first);
        EXPECT_TRUE(r.status == 2 && r.out.empty() && r.err.find("sensorctl: " + b.second) == 0)
            << r.status << " " << r.err;
    }
    EXPECT_FALSE(exists("/camera disk")) << "a new disk is not even created";
}

// The module's commands, a flush read back by the next run, the simulated
// sensor and clock, the tool's dump, and each family's disk checked.
TEST_F(SensorctlTest, EachFamilyOfCommandsInOneRun) {
    ToolRun first = run({"getParamScheme", "setParameters", "(34,61)", "1", "flush"});
    ASSERT_EQ(0, first.status) << first.err;
    EXPECT_EQ("true 0\n0\n0\n", first.out);
    ToolRun second = run({"getParameters", "(34,2337)", "dump", "sensor0.cfg"});
    EXPECT_EQ(0u, second.out.find("true (34,61)(2337,128)\n")) << second.err;
    EXPECT_NE(std::string::npos, second.out.find("34    KEY_BRIGHTNESS                    61\n"));
    EXPECT_EQ("0\nok\nok\n0\ntrue 1\nok\n0\ntrue 0\n",
              run({"setParameters", "(8000,2)", "1", "sim-clock", "09:00", "sim-dn", "1", "tick",
                   "getParamScheme", "sim-dn", "0", "tick", "getParamScheme"})
                  .out)
        << "night, then day";
    EXPECT_EQ("check: 0 problems\n", run({"check"}).out);
    EXPECT_EQ(1, run({"--family", "dome", "getParameter", "34"}).status) << "a box disk";
    EXPECT_EQ("true 50\n", run({"--family", "dome", "--reseed", "getParameter", "34"}).out);
    EXPECT_EQ("dome\n", readFile("/camera disk/sensorctl.family"));
    removeTree(disk());
    writeFile("/camera disk/notes", "mine\n");
    EXPECT_EQ(1, run({"--reseed", "getParameter", "34"}).status) << "a disk it did not seed";
    EXPECT_EQ(Words{"notes"}, dirEntries(disk()));
}

}  // namespace
