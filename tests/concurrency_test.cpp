// Host threads and the sensor thread on one controller at once: parameters
// set and read, schemes and modes switched, sets flushed, restored and reset,
// while the sensor thread switches schemes by the day/night state or by the
// time windows (the driver moves the state or the clock).
// tools/tsan.sh runs this test under ThreadSanitizer. It passes when no
// thread deadlocks (a watchdog fails a test that hangs) and the sets
// afterwards hold only what the threads applied: in memory, at the
// processor, and in the files.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "fixtures/ControllerFixture.h"
#include "fixtures/Eventually.h"
#include "fixtures/Reports.h"
#include "fixtures/SchemeSets.h"
#include "fixtures/Watchdog.h"
#include "platform/HostSeams.h"
#include "platform/ia_sim.h"

namespace {

const u32 kSchemes = 4;   // the sample modules ask for four schemes
const int kRounds = 120;  // of each host thread

// The keys the host threads set: settings whose processor command is the key
// itself and that no other record shares. Key i takes the values base(i) + 1,
// base(i) + 2, ... in the order the threads write them, so a value read back
// tells which key it belongs to and that it was written.
const u32 kKeys[] = {34, 2337, 2353, 2321, 65, 2304};
const size_t kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);

// The schedule's windows: the night, the day, the evening, and scheme 0 late.
const char* const kWindows[] = {
    "(8001,23)(8002,0)(8003,24)(8004,0)", "(8001,0)(8002,0)(8003,8)(8004,0)",
    "(8001,8)(8002,0)(8003,16)(8004,0)", "(8001,16)(8002,0)(8003,23)(8004,0)"};

// The parameter: the sensor thread follows the clock, else the day/night state.
struct Concurrency : ControllerFixture, testing::WithParamInterface<bool> {
    ISensorController& c() { return *m_pController; }
    static int32_t base(size_t i) { return static_cast<int32_t>((i + 1) * 100000); }
    // A new value of key i, counted before it is set: no set holds more.
    int32_t next(size_t i) { return base(i) + ++m_nWritten[i]; }
    // A value of key i that some set may hold: the factory's or one written.
    bool written(size_t i, int32_t value) {
        return value == m_nFactory[i] || (value > base(i) && value <= base(i) + m_nWritten[i]);
    }
    void check(bool ok, const std::string& what) {
        if (ok)  // the lock only on a failure: no order between the threads but their own
            return;
        std::lock_guard<std::mutex> guard(m_objFailMutex);
        m_vecFailures.push_back(what);
    }
    // Between two rounds of a host thread: room for the sensor thread's tick,
    // which only tries the lock.
    static void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
    // Scheme 0 current, in the day/night scheme mode.
    void arm() {
        for (int s = GetParam() ? 3 : -1; s >= 0; --s)
            c().setParamScheme(s), c().setParameters(kWindows[s], true);
        c().setParamScheme(0), c().setParameters(GetParam() ? "(8000,1)" : "(8000,2)", true);
    }
    // Night, or the night's window; then day, or the day's window.
    void drive(int tick) {
        GetParam() ? platform::setFakeClock(tick % 24, 0)
                   : iasim::setDayNightState(0, tick / 6 % 2);
    }

    // Host thread: sets keys 0..2 one at a time and keys 3..5 as pair text,
    // and reads them (the final comparison tells what they hold).
    void setter() {
        for (int round = 0; round < kRounds; ++round) {
            const size_t i = static_cast<size_t>(round) % 3;
            check(c().setParameter(static_cast<int>(kKeys[i]), next(i), true) == 0, "set");
            std::string pairs, text;
            for (size_t j = 3; j < kKeyCount; ++j)
                pairs += "(" + std::to_string(kKeys[j]) + "," + std::to_string(next(j)) + ")";
            check(c().setParameters(pairs, true) == 0, "setParameters " + pairs);
            int value = 0;
            check(c().getParameter(int(kKeys[i]), value) && c().getAllParameters(text), "read");
            pause();
        }
    }

    // Host thread: switches schemes and the automatic mode, saves, restores a
    // key, returns the scheme to its file and reads every scheme.
    void schemer() {
        for (int round = 0; round < kRounds; ++round) {
            const size_t i = static_cast<size_t>(round) % kKeyCount;
            check(c().setParamScheme(round % static_cast<int>(kSchemes)), "setParamScheme");
            check(c().setParamMode(round % 5 == 4 ? 0 : 1), "setParamMode");
            check(c().flush() == 0, "flush");
            check(c().restore(static_cast<int>(kKeys[i])) == 0, "restore");
            check(c().resetToLastParameters(), "resetToLastParameters");
            // Every scheme through the public cache accessor, meeting the setter's writes.
            for (u32 s = 0, v = 0; s < kSchemes; ++s)
                check(c().getKeyValFromCache(s, kKeys[i], v) < 0 || written(i, int32_t(v)),
                      "cache");
            check(c().getSensorType() == 1, "sensor type");
            pause();
        }
        c().setParamMode(1);
    }

    // Host thread: once the setter is a sixth of the way, a reset, and the
    // mode again.
    void resetter() {
        while (m_nWritten[0] < kRounds / 6 && !m_bDone) pause();
        check(c().resetParameters(), "resetParameters");
        arm();
    }

    std::atomic<int32_t> m_nWritten[kKeyCount] = {};
    int32_t m_nFactory[kKeyCount] = {};
    std::atomic<bool> m_bDone{false};
    std::mutex m_objFailMutex;
    std::vector<std::string> m_vecFailures;
};

TEST_P(Concurrency, HostAndSensorThreadsLeaveTheSetsWithWhatWasApplied) {
    start();
    const KeyVals layout = decodeSet(schemeFile(0));
    for (size_t i = 0; i < kKeyCount; ++i)
        m_nFactory[i] = valueIn(cachedSet(c(), kSchemes, layout), kKeys[i]);
    stdoutOf([&] { arm(); });
    setSign("6\n");  // the switches show, and the reports run on every thread
    Watchdog watchdog(120, "the host and sensor threads");
    stdoutOf([&] {
        std::thread driver([&] {  // the day/night state the sensor thread follows
            for (int tick = 0; !m_bDone; ++tick) drive(tick), pause();
        });
        std::thread hosts[] = {std::thread([&] { setter(); }), std::thread([&] { schemer(); }),
                               std::thread([&] { resetter(); })};
        for (std::thread& host : hosts) host.join();
        m_bDone = true;
        driver.join();
    });
    setSign("1\n");
    EXPECT_EQ(std::vector<std::string>(), m_vecFailures);

    // The sensor thread still follows: to scheme 1 at night, then to the day's scheme.
    stdoutOf([&] { arm(); });
    for (int wanted : {1, GetParam() ? 2 : 0}) {
        GetParam() ? platform::setFakeClock(wanted == 1 ? 3 : 10, 0) : drive(wanted == 1 ? 6 : 0);
        EXPECT_TRUE(eventually([&] {
            int current = -1;
            return c().getParamScheme(current) && current == wanted;
        })) << "scheme "
            << wanted;
    }

    // Frozen: the sensor thread leaves the scheme alone from here on. Each
    // scheme's values in memory and in its file are ones written, and a
    // save makes them its file's; the current one's are the processor's.
    stdoutOf([&] { ASSERT_TRUE(c().setParamMode(0)); });
    int current = -1;
    ASSERT_TRUE(c().getParamScheme(current));
    for (u32 n = 0, s = u32(current); n < kSchemes; s = (s + 1) % kSchemes, ++n) {  // current first
        const KeyVals cached = cachedSet(c(), s, layout), saved = decodeSet(schemeFile(s));
        ASSERT_EQ(layout.size(), saved.size()) << "scheme file " << s << " is not whole";
        for (size_t i = 0; i < kKeyCount; ++i) {
            const int32_t inMemory = valueIn(cached, kKeys[i]), onDisk = valueIn(saved, kKeys[i]);
            EXPECT_TRUE(written(i, inMemory) && written(i, onDisk) &&
                        (s != static_cast<u32>(current) || inMemory == lastSet(kKeys[i])))
                << "scheme " << s << " key " << kKeys[i] << ": " << inMemory << ", file " << onDisk;
        }
        stdoutOf([&] { c().setParamScheme(static_cast<int>(s)); });
        EXPECT_EQ(0, c().flush());
        EXPECT_EQ(cached, decodeSet(schemeFile(s))) << "scheme " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, Concurrency, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& mode) {
                             return std::string(mode.param ? "Schedule" : "DayNight");
                         });

}  // namespace
