// The settings console's API, served on an ephemeral loopback port in this
// process, on a sample camera disk, with the sensor thread running.
#ifdef SENSORCTL_CONSOLE
#include <dirent.h>
#include <httplib.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "Session.h"
#include "console/ConsoleServer.h"
#include "fixtures/SandboxRoot.h"
#include "platform/HostSeams.h"
#include "platform/ia_sim.h"
#include "sensor/SensorKeys.h"

using nlohmann::json;

namespace {

std::vector<std::string> sensorctlProgram() {
    std::istringstream words(SENSORCTL_COMMAND);
    std::vector<std::string> program;
    for (std::string word; words >> word;) {
        program.push_back(word);
    }
    return program;
}

struct Answer {
    int status;
    json body;
};

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
        ConsoleConfig config;
        config.port = 0;
        config.program = sensorctlProgram();
        m_pServer.reset(new ConsoleServer(*m_pSession, config));
        ASSERT_TRUE(m_pServer->bind(error)) << error;
        m_objThread = std::thread([this] { m_pServer->run(); });
    }
    void TearDown() override {
        if (m_pServer) {
            m_pServer->stop();
        }
        if (m_objThread.joinable()) {
            m_objThread.join();
        }
        m_pServer.reset();
        m_pSession.reset();
        SandboxRoot::TearDown();
    }

    httplib::Client client() const {
        httplib::Client c("127.0.0.1", m_pServer->port());
        c.set_read_timeout(60, 0);
        return c;
    }
    Answer get(const std::string& path) const {
        auto res = client().Get(path.c_str());
        return answerOf(res);
    }
    Answer post(const std::string& path, const std::string& body,
                const std::string& type = "application/json") const {
        auto res = client().Post(path.c_str(), body, type.c_str());
        return answerOf(res);
    }
    static Answer answerOf(const httplib::Result& res) {
        if (!res) {
            return Answer{-1, json()};
        }
        json body = json::parse(res->body, nullptr, false);
        return Answer{res->status, body};
    }
    static int valueOf(const json& snapshot, int key) {
        for (const json& pair : snapshot["pairs"]) {
            if (pair[0] == key) {
                return pair[1].get<int>();
            }
        }
        return -1;
    }
    std::string diskFile(const std::string& cameraPath) const {
        std::ifstream in(m_strRoot + "/disk" + cameraPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::unique_ptr<Session> m_pSession;
    std::unique_ptr<ConsoleServer> m_pServer;
    std::thread m_objThread;
};

// Whether the saved file holds the record (key, value).
bool savedRecord(const std::string& file, uint32_t key, int32_t value) {
    for (size_t at = 0; at + 8 <= file.size(); at += 8) {
        uint32_t k = 0;
        int32_t v = 0;
        memcpy(&k, file.data() + at, 4);
        memcpy(&v, file.data() + at + 4, 4);
        if (k == key) {
            return v == value;
        }
    }
    return false;
}

TEST_F(ConsoleTest, SetReadBackFlushAndTheFileHoldsIt) {
    Answer set = post("/api/values", R"({"pairs": [[34, 65], [2337, 90]], "record": true})");
    ASSERT_EQ(200, set.status);
    EXPECT_EQ(0, set.body["result"]);
    EXPECT_EQ(65, valueOf(set.body, KEY_BRIGHTNESS));
    int32_t sent = 0;
    EXPECT_TRUE(iasim::lastSet(0, KEY_BRIGHTNESS, sent));
    EXPECT_EQ(65, sent);
    Answer read = get("/api/values");
    EXPECT_EQ(65, valueOf(read.body, KEY_BRIGHTNESS));
    EXPECT_EQ(90, valueOf(read.body, 2337));
    EXPECT_EQ(0, read.body["scheme"]);
    EXPECT_FALSE(savedRecord(diskFile("/mnt/mtd/code/config_file/sensor0.cfg"), 34, 65));
    Answer flush = post("/api/flush", "{}");
    EXPECT_EQ(0, flush.body["result"]);
    EXPECT_TRUE(savedRecord(diskFile("/mnt/mtd/code/config_file/sensor0.cfg"), 34, 65));

    // Not recorded: applied, the set keeps its value.
    Answer applied = post("/api/values", R"({"pairs": [[34, 20]], "record": false})");
    EXPECT_EQ(0, applied.body["result"]);
    EXPECT_EQ(65, valueOf(applied.body, KEY_BRIGHTNESS));
}

TEST_F(ConsoleTest, AFailedSetIsAnsweredWithTheModulesResultAndNotRecorded) {
    iasim::failCommand(0, KEY_BRIGHTNESS, -1);
    Answer set = post("/api/values", R"({"pairs": [[34, 70]]})");
    ASSERT_EQ(200, set.status) << "a refusal of the module is no server error";
    EXPECT_EQ(-34, set.body["result"]);
    EXPECT_EQ(34, set.body["failedKey"]);
    EXPECT_EQ(50, valueOf(set.body, KEY_BRIGHTNESS)) << "the value in force";
    EXPECT_EQ(50, valueOf(get("/api/values").body, KEY_BRIGHTNESS));

    Answer factory = post("/api/scheme", R"({"scheme": 4})");
    EXPECT_EQ(200, factory.status);
    EXPECT_EQ(false, factory.body["ok"]) << "the factory set is never made current";
    Answer picked = post("/api/scheme", R"({"scheme": 2})");
    EXPECT_EQ(true, picked.body["ok"]);
    EXPECT_EQ(2, get("/api/scheme").body["scheme"]);
}

std::vector<std::string> entriesOf(const std::string& dir) {
    std::vector<std::string> names;
    DIR* handle = opendir(dir.c_str());
    while (const dirent* entry = handle ? readdir(handle) : nullptr) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    if (handle) {
        closedir(handle);
    }
    return names;
}

// The strip is the module's own decision: a tick on the fake clock at each
// quarter hour of the live controller puts the same scheme in force.
TEST_F(ConsoleTest, TheDayStripIsWhatTicksOnTheFakeClockGive) {
    ISensorController& c = m_pSession->controller();
    // Scheme 1 from 20:15 to 22:00, scheme 2 from 08:00 to 12:30; schemes 0
    // and 3 have no window.
    const uint32_t windows[4][4] = {{0, 0, 0, 0}, {20, 15, 22, 0}, {8, 0, 12, 30}, {0, 0, 0, 0}};
    for (uint32_t s = 0; s < 4; ++s) {
        for (uint32_t k = 0; k < 4; ++k) {
            c.setKeyValToCache(s, KEY_SCHEME_START_HOUR + k, windows[s][k], true);
        }
    }
    ASSERT_EQ(0, post("/api/values", R"({"pairs": [[8000, 1]]})").body["result"]);
    Answer day = get("/api/day");
    ASSERT_EQ(200, day.status) << day.body.dump();
    EXPECT_EQ("schedule", day.body["mode"]);
    const json& slots = day.body["slots"];
    ASSERT_EQ(96u, slots.size());
    EXPECT_EQ(2, slots[8 * 4]);
    EXPECT_EQ(2, slots[12 * 4 + 1]);
    EXPECT_EQ(0, slots[12 * 4 + 2]) << "a window ends before its end time";
    EXPECT_EQ(1, slots[20 * 4 + 1]);
    EXPECT_EQ(0, slots[22 * 4]);
    for (int slot = 0; slot < 96; ++slot) {
        platform::setFakeClock(slot / 4, slot % 4 * 15);
        c.sensorThread();
        int scheme = -1;
        c.getParamScheme(scheme);
        EXPECT_EQ(slots[slot].get<int>(), scheme) << "at quarter " << slot;
    }
    EXPECT_NE(std::string::npos, day.body["svg"].get<std::string>().find("<svg"));

    // What a console that died left beside the disk goes with the next strip;
    // the strip leaves nothing of its own.
    std::string dead = m_strRoot + "/disk.day.999999999.1";
    ASSERT_EQ(0, mkdir(dead.c_str(), 0755));
    std::ofstream(dead + "/sensorctl.log") << "left behind";
    Answer night = get("/api/day?mode=daynight&night=19:00-07:30");
    EXPECT_NE(0, access(dead.c_str(), F_OK));
    EXPECT_EQ(std::vector<std::string>{"disk"}, entriesOf(m_strRoot));
    ASSERT_EQ(200, night.status);
    EXPECT_EQ(1, night.body["slots"][19 * 4]);
    EXPECT_EQ(1, night.body["slots"][7 * 4 + 1]);
    EXPECT_EQ(0, night.body["slots"][7 * 4 + 2]);
    EXPECT_EQ(0, night.body["slots"][18 * 4 + 3]);
}

struct BadRequest {
    const char* method;
    const char* path;
    std::string body;
    const char* type;
    int status;
};

std::string manyPairs(int count) {
    std::string body = "{\"pairs\": [[34, 1]";
    for (int i = 1; i < count; ++i) {
        body += ", [34, 1]";
    }
    return body + "]}";
}

TEST_F(ConsoleTest, BadInputIsRefusedWithAOneLineJsonReason) {
    const BadRequest cases[] = {
        {"POST", "/api/values", std::string(70 * 1024, ' '), "application/json", 413},
        {"POST", "/api/values", R"({"pairs": [[34, 6)", "application/json", 400},
        {"POST", "/api/values", R"({"pairs": [["34", 6]]})", "application/json", 400},
        {"POST", "/api/values", R"({"pairs": [[34, "6"]]})", "application/json", 400},
        {"POST", "/api/values", R"({"pairs": [[34, 1.5]]})", "application/json", 400},
        {"POST", "/api/values", R"({"pairs": [[34, 2147483648]]})", "application/json", 400},
        {"POST", "/api/values", R"({"pairs": [[-1, 6]]})", "application/json", 400},
        {"POST", "/api/values", R"({"pairs": []})", "application/json", 400},
        {"POST", "/api/values", manyPairs(200), "application/json", 400},  // more than the set
        {"POST", "/api/values", R"([34, 6])", "application/json", 400},
        {"POST", "/api/values", R"({"pairs": [[34, 6]], "record": 1})", "application/json", 400},
        {"POST", "/api/values", std::string(40, '[') + std::string(40, ']'), "application/json",
         400},
        {"POST", "/api/values", R"({"pairs": [[34, 6]]})", "text/plain", 415},
        {"POST", "/api/flush", "pairs=1", "application/x-www-form-urlencoded", 415},
        {"POST", "/api/scheme", R"({"scheme": "1"})", "application/json", 400},
        {"POST", "/api/sim", R"({"dayNight": 2})", "application/json", 400},
        {"POST", "/api/sim", R"({"clock": "25:00"})", "application/json", 400},
        {"POST", "/api/sim", R"({"lamp": 1})", "application/json", 400},
        {"GET", "/api/day?mode=sometimes", "", "", 400},
        {"GET", "/api/day", "", "", 400},  // the camera's mode is fixed
        {"GET", "/api/day?mode=daynight&night=6-18", "", "", 400},
        {"GET", "/api/logs?limit=many", "", "", 400},
        {"GET", "/api/nothing", "", "", 404},
        {"GET", "/api/flush", "", "", 405},
        {"POST", "/api/style", "{}", "application/json", 405},
    };
    for (const BadRequest& bad : cases) {
        SCOPED_TRACE(std::string(bad.method) + " " + bad.path + " " + bad.body.substr(0, 40));
        httplib::Client c = client();
        auto res = std::string(bad.method) == "GET" ? c.Get(bad.path)
                                                    : c.Post(bad.path, bad.body, bad.type);
        ASSERT_TRUE(res);
        EXPECT_EQ(bad.status, res->status);
        EXPECT_EQ(std::string::npos, res->body.find('\n'));
        json reason = json::parse(res->body, nullptr, false);
        ASSERT_TRUE(reason.is_object()) << res->body;
        EXPECT_TRUE(reason["error"].is_string()) << res->body;
    }
    EXPECT_EQ(50, valueOf(get("/api/values").body, KEY_BRIGHTNESS)) << "nothing was applied";
}

// Another site's page, or a name rebound to this address, gets nothing.
TEST_F(ConsoleTest, RequestsForAnotherHostOrFromAnotherOriginAreRefused) {
    std::string port = std::to_string(m_pServer->port());
    const httplib::Headers refused[] = {
        {{"Host", "evil.example:" + port}},
        {{"Host", "127.0.0.1:1"}},
        {{"Host", "127.0.0.1.evil.example:" + port}},
        {{"Host", "127.0.0.1:" + port}, {"Origin", "http://evil.example"}},
        {{"Host", "127.0.0.1:" + port}, {"Origin", "http://localhost:" + port + ".evil"}},
    };
    for (const httplib::Headers& headers : refused) {
        auto read = client().Get("/api/values", headers);
        ASSERT_TRUE(read);
        EXPECT_EQ(403, read->status) << headers.begin()->second;
        auto write =
            client().Post("/api/values", headers, R"({"pairs": [[34, 1]]})", "application/json");
        EXPECT_EQ(403, write->status);
    }
    const httplib::Headers same = {{"Host", "localhost:" + port},
                                   {"Origin", "http://localhost:" + port}};
    auto own = client().Post("/api/values", same, R"({"pairs": [[34, 61]]})", "application/json");
    ASSERT_TRUE(own);
    EXPECT_EQ(200, own->status);
    EXPECT_EQ(61, valueOf(get("/api/values").body, KEY_BRIGHTNESS));
}

// Sets of two keys at once from several clients while others read, with the
// sensor thread running: every answer shows one whole set.
TEST_F(ConsoleTest, ConcurrentClientsNeverSeeAHalfAppliedSet) {
    ASSERT_EQ(0, post("/api/values", R"({"pairs": [[34, 5], [2337, 5]]})").body["result"]);
    std::atomic<int> torn(0), answered(0);
    std::vector<std::thread> clients;
    for (int t = 0; t < 4; ++t) {
        clients.emplace_back([this, t, &torn, &answered] {
            for (int i = 0; i < 100; ++i) {
                int v = 10 + t * 200 + i;
                std::string body = "{\"pairs\": [[34, " + std::to_string(v) + "], [2337, " +
                                   std::to_string(v) + "]]}";
                Answer a = t < 2 ? get("/api/values") : post("/api/values", body);
                answered += a.status == 200 ? 1 : 0;
                torn += valueOf(a.body, KEY_BRIGHTNESS) != valueOf(a.body, 2337) ? 1 : 0;
            }
        });
    }
    for (int i = 0; i < 5; ++i) {
        post("/api/tick", "{}");
    }
    for (std::thread& t : clients) {
        t.join();
    }
    EXPECT_EQ(400, answered.load());
    EXPECT_EQ(0, torn.load());
}

TEST_F(ConsoleTest, TheSimulatedCameraAndItsLogs) {
    Answer sim = post("/api/sim", R"({"dayNight": 1, "clock": "21:45"})");
    ASSERT_EQ(200, sim.status);
    EXPECT_EQ(1, sim.body["dayNight"]);
    EXPECT_EQ("21:45", sim.body["clock"]);
    EXPECT_EQ(true, sim.body["fakeClock"]);
    post("/api/values", R"({"pairs": [[34, 66]]})");
    Answer logs = get("/api/logs?limit=500");
    ASSERT_EQ(200, logs.status);
    EXPECT_LE(logs.body["processor"].size(), 200u) << "bounded";
    bool seen = false;
    for (const json& line : logs.body["processor"]) {
        seen = seen || line.get<std::string>() == "ch0 34 set in=66 out=";
    }
    EXPECT_TRUE(seen) << logs.body["processor"].dump();
    EXPECT_TRUE(iasim::calls().empty()) << "the console takes the simulator's log";
    EXPECT_EQ(false, post("/api/sim", R"({"clock": null})").body["fakeClock"]);
    auto page = client().Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(200, page->status);
    EXPECT_NE(std::string::npos, page->body.find("<title>Image settings"));
}

// sensorctl serve as a user runs it: the warning off the loopback, the
// address it serves, and SIGTERM ending it with uinit and whole files.
TEST(ConsoleProcess, ServeWarnsOffTheLoopbackAndStopsOnSigterm) {
    std::string root = makeSandboxDirectory("serve root");
    std::string command = std::string(SENSORCTL_COMMAND) + " --root '" + root +
                          "/disk' serve --listen 0.0.0.0:0 2>'" + root + "/err'";
    FILE* out = popen(("echo $$; exec " + command).c_str(), "r");
    ASSERT_TRUE(out);
    char line[256] = {0};
    ASSERT_TRUE(fgets(line, sizeof(line), out));
    pid_t pid = static_cast<pid_t>(atol(line));
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(fgets(line, sizeof(line), out));
    int port = 0;
    ASSERT_EQ(1, sscanf(line, "serving http://0.0.0.0:%d/", &port)) << line;
    httplib::Client c("127.0.0.1", port);
    auto set = c.Post("/api/values", R"({"pairs": [[34, 72]]})", "application/json");
    ASSERT_TRUE(set);
    EXPECT_EQ(200, set->status);
    EXPECT_EQ(200, c.Post("/api/flush", "{}", "application/json")->status);
    ASSERT_EQ(0, kill(pid, SIGTERM));
    std::string rest;
    while (fgets(line, sizeof(line), out)) {
        rest += line;
    }
    int status = pclose(out);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ("stopped\n", rest);
    std::ifstream err(root + "/err");
    std::string warning((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, warning.find("warning: serving on 0.0.0.0")) << warning;
    std::ifstream saved(root + "/disk/mnt/mtd/code/config_file/sensor0.cfg", std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(0u, file.size() % 8);
    EXPECT_TRUE(savedRecord(file, 34, 72));
    removeTree(root);
}

}  // namespace
#endif
