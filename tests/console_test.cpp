// The settings console's API, served on an ephemeral loopback port in this
// process, on a sample camera disk, with the sensor thread running.
#ifdef SENSORCTL_CONSOLE
#include <httplib.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <thread>

#include "Session.h"
#include "console/ConsoleServer.h"
#include "fixtures/SandboxRoot.h"
#include "platform/ShellQuote.h"
#include "platform/ia_sim.h"
#include "sensor/SensorKeys.h"

using nlohmann::json;

namespace {

struct Answer {
    int status;
    json body;
};

int valueOf(const json& snapshot, int key) {
    for (const json& pair : snapshot["pairs"])
        if (pair[0] == key)
            return pair[1].get<int>();
    return -1;
}

class ConsoleTest : public SandboxRoot {
  protected:
    void SetUp() override {
        SandboxRoot::SetUp();
        iasim::reset();
        Options options;
        options.root = m_strRoot + "/disk";
        options.verbose = true;  // this process's standard output stays as it is
        options.waitScale = 1;
        m_pSession.reset(new Session(options, stdout));
        std::string error;
        ASSERT_TRUE(m_pSession->open(error)) << error;
        m_pServer.reset(new ConsoleServer(*m_pSession, ConsoleConfig{"127.0.0.1", 0, {}}));
        ASSERT_TRUE(m_pServer->bind(error)) << error;
        m_objThread = std::thread([this] { m_pServer->run(); });
    }
    void TearDown() override {
        if (m_objThread.joinable()) {
            m_pServer->stop();
            m_objThread.join();
        }
        m_pServer.reset();
        m_pSession.reset();
        SandboxRoot::TearDown();
    }

    // A GET without a body, else a POST. Every answer is one line of JSON.
    Answer ask(const std::string& path, const std::string& body = "",
               const std::string& type = "application/json",
               const httplib::Headers& headers = {}) const {
        httplib::Client client("127.0.0.1", m_pServer->port());
        auto res = body.empty() ? client.Get(path.c_str(), headers)
                                : client.Post(path.c_str(), headers, body, type.c_str());
        EXPECT_TRUE(res && res->body.find('\n') == std::string::npos) << path;
        return res ? Answer{res->status, json::parse(res->body, nullptr, false)} : Answer{-1, {}};
    }

    std::unique_ptr<Session> m_pSession;
    std::unique_ptr<ConsoleServer> m_pServer;
    std::thread m_objThread;
};

// Status, path, body (none: a GET), content type and headers.
struct Refused {
    int status;
    std::string path, body = "", type = "application/json";
    httplib::Headers headers = {};
};

TEST_F(ConsoleTest, BadInputIsRefusedWithAOneLineJsonReasonAndNothingApplied) {
    const std::string port = std::to_string(m_pServer->port()), local = "127.0.0.1:" + port;
    const std::string v = "/api/values", set = R"({"pairs": [[34, 61]]})", js = "application/json";
    std::string tooMany = "{\"pairs\": [[34, 1]";  // more pairs than the set holds
    for (int i = 1; i < 200; ++i) tooMany += i < 199 ? ", [34, 1]" : ", [34, 1]]}";
    // A plain /api/day asks for a mode other than the camera's. Another site's
    // page, or a name rebound to this address, gets nothing.
    // clang-format off
    const Refused cases[] = {
        {413, v, std::string(70 * 1024, ' ')}, {415, v, set, "text/plain"}, {405, "/api/flush"},
        {415, "/api/flush", "pairs=1", "application/x-www-form-urlencoded"}, {400, "/api/day"},
        {400, "/api/scheme", R"({"scheme": "1"})"}, {400, "/api/sim", R"({"dayNight": 2})"},
        {400, "/api/sim", R"({"clock": "25:00"})"}, {400, "/api/sim", R"({"lamp": 1})"},
        {400, "/api/day?mode=sometimes"}, {400, "/api/logs?limit=many"}, {404, "/api/nothing"},
        {400, "/api/day?mode=daynight&night=6-18"}, {405, "/api/style", "{}"}, {400, v, "[34, 6]"},
        {400, v, R"({"pairs": [[34, 6)"}, {400, v, R"({"pairs": [["34", 6]]})"}, {400, v, tooMany},
        {400, v, R"({"pairs": [[34, "6"]]})"}, {400, v, R"({"pairs": [[34, 1.5]]})"},
        {400, v, R"({"pairs": [[34, 2147483648]]})"}, {400, v, R"({"pairs": [[-1, 6]]})"},
        {400, v, R"({"pairs": []})"}, {400, v, R"({"pairs": [[34, 6]], "record": 1})"},
        {400, v, std::string(40, '[') + std::string(40, ']')},
        {403, v, "", js, {{"Host", "evil.example:" + port}}},
        {403, v, set, js, {{"Host", "127.0.0.1:1"}}},
        {403, v, set, js, {{"Host", "127.0.0.1.evil.example:" + port}}},
        {403, v, "", js, {{"Host", local}, {"Origin", "http://evil.example"}}},
        {403, v, set, js, {{"Host", local}, {"Origin", "http://localhost:" + port + ".evil"}}}};
    // clang-format on
    for (const Refused& c : cases) {
        SCOPED_TRACE(&c - cases);  // the row
        Answer a = ask(c.path, c.body, c.type, c.headers);
        EXPECT_EQ(c.status, a.status);
        EXPECT_TRUE(a.body["error"].is_string()) << a.body;
    }
    // Nothing was applied; the console's own page, by name, is answered.
    const std::string own = "localhost:" + port;
    EXPECT_EQ(50, valueOf(ask(v, "", js, {{"Host", own}, {"Origin", "http://" + own}}).body, 34));
}

// Sets of two keys at once from several clients while others read, with the
// sensor thread running: every answer shows one whole set.
TEST_F(ConsoleTest, ConcurrentClientsNeverSeeAHalfAppliedSet) {
    ASSERT_EQ(0, ask("/api/values", R"({"pairs": [[34, 5], [2337, 5]]})").body["result"]);
    std::atomic<int> whole(0);
    std::vector<std::thread> clients;
    for (int t = 0; t < 4; ++t) {
        clients.emplace_back([this, t, &whole] {
            for (int i = 0; i < 100; ++i) {
                std::string v = std::to_string(10 + t * 200 + i);  // readers GET, writers POST
                Answer a = ask("/api/values",
                               t < 2 ? "" : R"({"pairs": [[34, )" + v + "], [2337, " + v + "]]}");
                whole += a.status == 200 && valueOf(a.body, 34) == valueOf(a.body, 2337);
            }
        });
    }
    for (int i = 0; i < 5; ++i) ask("/api/tick", "{}");
    for (std::thread& t : clients) t.join();
    EXPECT_EQ(400, whole.load());
}

// sensorctl serve as a user runs it: the warning off the loopback, the
// address it serves, a set read back and flushed (from the console's own
// page), and SIGTERM ending it with uinit and whole files.
class ConsoleProcess : public SandboxRoot {};

TEST_F(ConsoleProcess, SetReadBackFlushAndStopOnSigterm) {
    const std::string command =
        "echo $$; exec " SENSORCTL_COMMAND " --root " + platform::shellQuoted(m_strRoot + "/disk") +
        " serve --listen 0.0.0.0:0 2>" + platform::shellQuoted(hostPath("/err"));
    FILE* out = popen(command.c_str(), "r");
    char line[256] = {0};
    int pid = 0, port = 0;
    ASSERT_TRUE(out && fgets(line, sizeof(line), out) && (pid = atoi(line)) > 0);
    ASSERT_TRUE(fgets(line, sizeof(line), out) &&
                sscanf(line, "serving http://0.0.0.0:%d/", &port) == 1)
        << line;
    const std::string own = "127.0.0.1:" + std::to_string(port);
    httplib::Client c("127.0.0.1", port);
    auto set = c.Post("/api/values", {{"Host", own}, {"Origin", "http://" + own}},
                      R"({"pairs": [[34, 72], [2337, 90]]})", "application/json");
    auto read = c.Get("/api/values");
    ASSERT_TRUE(set && read && set->status == 200);
    const json values = json::parse(read->body);
    EXPECT_TRUE(valueOf(values, KEY_BRIGHTNESS) == 72 && valueOf(values, 2337) == 90) << read->body;
    const std::string saved = "/disk/mnt/mtd/code/config_file/sensor0.cfg";
    const int32_t record[2] = {KEY_BRIGHTNESS, 72};
    const std::string bytes(reinterpret_cast<const char*>(record), 8);
    EXPECT_EQ(std::string::npos, readFile(saved).find(bytes)) << "saved before the flush";
    EXPECT_EQ(R"({"result":0})", c.Post("/api/flush", "{}", "application/json")->body);
    ASSERT_EQ(0, kill(pid, SIGTERM));
    std::string rest;
    while (fgets(line, sizeof(line), out)) rest += line;
    int status = pclose(out);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ("stopped\n", rest);
    EXPECT_NE(std::string::npos, readFile("/err").find("warning: serving on 0.0.0.0"));
    // Whole records, (34, 72) among them.
    const std::string file = readFile(saved);
    EXPECT_TRUE(file.size() % 8 == 0 && file.find(bytes) % 8 == 0) << file.size();
}

}  // namespace
#endif
