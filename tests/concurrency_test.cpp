// Host threads and the sensor thread on one controller at once: parameters
// set and read, schemes and modes switched, sets flushed, restored and reset,
// while the sensor thread switches schemes by day/night state or by the time
// windows. tools/tsan.sh runs these tests under ThreadSanitizer. They pass
// when no thread deadlocks (a watchdog fails a test that hangs) and the sets
// afterwards hold only what the threads applied: in memory, at the
// processor, and in the files.
#include <gtest/gtest.h>
#include <stdint.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/ControllerFixture.h"
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

int32_t base(size_t i) {
    return static_cast<int32_t>((i + 1) * 100000);
}

// How the sensor thread chooses the scheme, and what the driver changes.
struct Mode {
    const char* name;
    const char* schemeMode;  // pairs for scheme 0, in force after a reset too
    bool byClock;            // the driver moves the clock, else the day/night state
};
const Mode kModes[] = {{"DayNight", "(8000,2)", false}, {"Schedule", "(8000,1)", true}};

void PrintTo(const Mode& mode, std::ostream* out) {
    *out << mode.name;
}

// The schedule's windows: the night, the day, the evening, and scheme 0 late.
const char* const kWindows[kSchemes] = {
    "(8001,23)(8002,0)(8003,24)(8004,0)", "(8001,0)(8002,0)(8003,8)(8004,0)",
    "(8001,8)(8002,0)(8003,16)(8004,0)", "(8001,16)(8002,0)(8003,23)(8004,0)"};

class Concurrency : public ControllerFixture, public testing::WithParamInterface<Mode> {
  protected:
    ISensorController& c() { return *m_pController; }

    // The windows (schedule mode) and the scheme mode, scheme 0 current.
    void arm() {
        if (GetParam().byClock) {
            for (u32 s = kSchemes; s-- > 0;) {
                c().setParamScheme(static_cast<int>(s));
                c().setParameters(kWindows[s], true);
            }
        }
        c().setParamScheme(0);
        c().setParameters(GetParam().schemeMode, true);
    }

    // The sensor thread's switch, within five seconds.
    bool schemeBecomes(int wanted) {
        int scheme = -1;
        for (int ms = 0; ms < 5000 && (!c().getParamScheme(scheme) || scheme != wanted); ++ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return scheme == wanted;
    }

    // A new value of key i, counted before it is set: no set holds more.
    int32_t next(size_t i) { return base(i) + ++m_nWritten[i]; }
    // A value of key i that some set may hold: the factory's or one written.
    bool written(size_t i, int32_t value) {
        return value == m_nFactory[i] || (value > base(i) && value <= base(i) + m_nWritten[i]);
    }
    void fail(const std::string& what) {
        std::lock_guard<std::mutex> guard(m_objFailMutex);
        if (m_vecFailures.size() < 20) {
            m_vecFailures.push_back(what);
        }
    }
    void check(bool ok, const std::string& what) {
        if (!ok) {
            fail(what);
        }
    }
    // Between two rounds of a host thread: room for the sensor thread's tick,
    // which only tries the lock.
    static void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

    // Host thread: sets keys 0..2 one at a time and keys 3..5 as pair text.
    void setter() {
        for (int round = 0; round < kRounds; ++round) {
            size_t i = static_cast<size_t>(round) % 3;
            int ret = c().setParameter(static_cast<int>(kKeys[i]), next(i), true);
            check(ret == 0, "setParameter answered " + std::to_string(ret));
            std::string pairs;
            for (size_t j = 3; j < kKeyCount; ++j) {
                pairs += "(" + std::to_string(kKeys[j]) + "," + std::to_string(next(j)) + ")";
            }
            ret = c().setParameters(pairs, true);
            check(ret == 0, "setParameters answered " + std::to_string(ret));
            pause();
        }
    }

    // Host thread: reads every key, the text forms and the scheme.
    void reader() {
        for (int round = 0; round < kRounds; ++round) {
            for (size_t i = 0; i < kKeyCount; ++i) {
                int value = 0;
                bool ok = c().getParameter(static_cast<int>(kKeys[i]), value);
                check(ok && written(i, value),
                      "key " + std::to_string(kKeys[i]) + " read " + std::to_string(value));
            }
            std::string text;
            check(c().getParameters("(34,2337)", text) && contains(text, "(2337,"),
                  "pair text " + text);
            text.clear();
            check(c().getAllParameters(text) && contains(text, "(34,"), "all parameters " + text);
            int scheme = -1;
            check(c().getParamScheme(scheme) && scheme >= 0 && scheme < static_cast<int>(kSchemes),
                  "scheme " + std::to_string(scheme));
            check(c().getSensorType() == 1, "sensor type");
            pause();
        }
    }

    // Host thread: switches schemes and the automatic mode, saves, restores.
    void schemer() {
        for (int round = 0; round < kRounds; ++round) {
            check(c().setParamScheme(round % static_cast<int>(kSchemes)), "setParamScheme");
            check(c().setParamMode(round % 5 == 4 ? 0 : 1), "setParamMode");
            int ret = c().flush();
            check(ret == 0, "flush answered " + std::to_string(ret));
            ret = c().restore(static_cast<int>(kKeys[static_cast<size_t>(round) % kKeyCount]));
            check(ret == 0, "restore answered " + std::to_string(ret));
            int state = 0;
            check(c().getDNState(state), "getDNState");
            pause();
        }
        c().setParamMode(1);
    }

    // Host thread: every scheme's values through the public cache accessor,
    // which meets the sets and the switches of the other threads.
    void cacheReader() {
        for (int round = 0; round < kRounds; ++round) {
            size_t i = static_cast<size_t>(round) % kKeyCount;
            for (u32 s = 0; s < kSchemes; ++s) {
                u32 value = 0;
                if (c().getKeyValFromCache(s, kKeys[i], value) >= 0) {
                    check(written(i, static_cast<int32_t>(value)),
                          "cached key " + std::to_string(kKeys[i]) + " " + std::to_string(value));
                }
            }
            pause();
        }
    }

    // Host thread: returns the current scheme to its file, again and again.
    void returner() {
        for (int round = 0; round < kRounds; ++round) {
            check(c().resetToLastParameters(), "resetToLastParameters");
            pause();
        }
    }

    // Host thread: once the setter is half way, a reset, and the mode again.
    void resetter() {
        while (m_nWritten[0] < kRounds / 6 && !m_bDone) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        check(c().resetParameters(), "resetParameters");
        arm();
    }

    // What the sensor thread follows: the day/night state or the clock.
    void driver() {
        for (int tick = 0; !m_bDone; ++tick) {
            if (GetParam().byClock) {
                platform::setFakeClock(tick % 24, 0);
            } else {
                iasim::setDayNightState(0, (tick / 3) % 2);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    void runAll() {
        std::vector<std::thread> hosts;
        std::thread drive(&Concurrency::driver, this);
        for (void (Concurrency::*body)() :
             {&Concurrency::setter, &Concurrency::reader, &Concurrency::cacheReader,
              &Concurrency::schemer, &Concurrency::returner, &Concurrency::resetter}) {
            hosts.emplace_back(body, this);
        }
        for (std::thread& host : hosts) {
            host.join();
        }
        m_bDone = true;
        drive.join();
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
    for (size_t i = 0; i < kKeyCount; ++i) {
        m_nFactory[i] = valueIn(cachedSet(c(), kSchemes, layout), kKeys[i]);
    }
    stdoutOf([&] { arm(); });
    setSign("6\n");  // the switches show, and the reports run on every thread
    std::string out;
    {
        Watchdog watchdog(120, std::string("the threads of ") + GetParam().name);
        out = stdoutOf([&] { runAll(); });
    }
    setSign("1\n");
    EXPECT_EQ(std::vector<std::string>(), m_vecFailures);
    RecordProperty("automaticSwitches", static_cast<int>(countOf(out, "SCHEME: auto switch_to")));

    // The sensor thread still follows what it watches.
    stdoutOf([&] { arm(); });
    const int wanted[2] = {1, GetParam().byClock ? 2 : 0};
    for (int step = 0; step < 2; ++step) {
        if (GetParam().byClock) {
            platform::setFakeClock(step == 0 ? 3 : 10, 0);
        } else {
            iasim::setDayNightState(0, step == 0 ? 1 : 0);
        }
        EXPECT_TRUE(schemeBecomes(wanted[step])) << "scheme " << wanted[step];
    }

    // Frozen: the sensor thread leaves the scheme alone from here on.
    stdoutOf([&] { ASSERT_TRUE(c().setParamMode(0)); });
    int current = -1;
    ASSERT_TRUE(c().getParamScheme(current));
    for (u32 s = 0; s < kSchemes; ++s) {
        const KeyVals cached = cachedSet(c(), s, layout);
        const KeyVals saved = decodeSet(schemeFile(static_cast<int>(s)));
        ASSERT_EQ(layout.size(), saved.size()) << "scheme file " << s << " is not whole";
        for (size_t i = 0; i < kKeyCount; ++i) {
            const int32_t inMemory = valueIn(cached, kKeys[i]);
            const int32_t onDisk = valueIn(saved, kKeys[i]);
            EXPECT_TRUE(written(i, inMemory))
                << "scheme " << s << " key " << kKeys[i] << ": " << inMemory;
            EXPECT_TRUE(written(i, onDisk))
                << "file " << s << " key " << kKeys[i] << ": " << onDisk;
            if (static_cast<int>(s) == current) {
                EXPECT_EQ(inMemory, lastSet(kKeys[i])) << "the processor has another value";
            }
        }
    }
    for (u32 s = 0; s < kSchemes; ++s) {
        int ret = -1;
        stdoutOf([&] {
            c().setParamScheme(static_cast<int>(s));
            ret = c().flush();
        });
        EXPECT_EQ(0, ret);
        EXPECT_EQ(cachedSet(c(), s, layout), decodeSet(schemeFile(static_cast<int>(s))))
            << "scheme " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, Concurrency, testing::ValuesIn(kModes), CaseName());

}  // namespace
