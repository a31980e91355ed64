#include "ConsoleApi.h"

#include <limits.h>
#include <stdint.h>

#include <algorithm>

#include "CommandLine.h"
#include "DayStrip.h"
#include "Session.h"
#include "StyleJson.h"
#include "platform/HostSeams.h"
#include "platform/TXDeviceTime.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "sensor/SensorKeyVal.h"

using nlohmann::json;

namespace {

// An integer of the JSON within [low, high]; strings and fractions are not.
bool integerIn(const json& value, long long low, long long high, long long& out) {
    if (!value.is_number_integer()) {
        return false;
    }
    if (value.is_number_unsigned()) {
        unsigned long long number = value.get<unsigned long long>();
        if (number > static_cast<unsigned long long>(LLONG_MAX)) {
            return false;
        }
        out = static_cast<long long>(number);
    } else {
        out = value.get<long long>();
    }
    return low <= out && out <= high;
}

// "HH:MM-HH:MM" as minutes of the day.
bool parsePeriod(const std::string& text, int& from, int& to) {
    size_t dash = text.find('-');
    int h1 = 0, m1 = 0, h2 = 0, m2 = 0;
    if (dash == std::string::npos || !parseClock(text.substr(0, dash), h1, m1) ||
        !parseClock(text.substr(dash + 1), h2, m2)) {
        return false;
    }
    from = h1 * 60 + m1;
    to = h2 * 60 + m2;
    return true;
}

const char* modeName(int mode) {
    return mode == 1 ? "schedule" : mode == 2 ? "daynight" : "fixed";
}

// The pairs of a set request: [[key, value], ...], keys and values integers.
// At most as many as the set holds: the module reads no more at once.
bool readPairs(const json& pairs, size_t room, std::string& text, std::string& error) {
    if (!pairs.is_array() || pairs.empty() || pairs.size() > room) {
        error =
            "\"pairs\" must be an array of 1 to " + std::to_string(room) + " [key, value] pairs";
        return false;
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        const json& pair = pairs[i];
        long long key = 0, value = 0;
        std::string where = "pairs[" + std::to_string(i) + "]";
        if (!pair.is_array() || pair.size() != 2) {
            error = where + " must be [key, value]";
            return false;
        }
        if (!integerIn(pair[0], 0, INT32_MAX, key)) {
            error = where + ": the key must be an integer from 0 to 2147483647";
            return false;
        }
        if (!integerIn(pair[1], INT32_MIN, INT32_MAX, value)) {
            error = where + ": the value must be a 32-bit integer";
            return false;
        }
        text += "(" + std::to_string(key) + "," + std::to_string(value) + ")";
    }
    return true;
}

}  // namespace

Reply badRequest(int status, const std::string& reason) {
    return Reply{status, json{{"error", reason}}};
}

std::string jsonText(const json& body) {
    return body.dump(-1, ' ', false, json::error_handler_t::replace);
}

ConsoleApi::ConsoleApi(Session& session, const std::vector<std::string>& program)
    : m_objSession(session),
      m_program(program),
      m_objLogs(session.video(), session.diagnosticsLog()) {
    // The set's size is fixed from init to uinit, and the console never runs either.
    m_nPairRoom = std::min<size_t>(PAIRS_MAX, snapshot()["pairs"].size());
}

Reply ConsoleApi::style() {
    json page;
    std::string error;
    if (!styleToJson(m_objSession.controller().getUIStyleFile(), page, error)) {
        return badRequest(500, "the tailored style does not read: " + error);
    }
    return Reply{200, page};
}

// The scheme in force and its set, read so that both belong together: a
// switch between the reads makes them read again.
json ConsoleApi::snapshot() {
    ISensorController& c = m_objSession.controller();
    int before = -1, after = -2;
    std::string text;
    for (int tries = 0; tries < 3 && before != after; ++tries) {
        text.clear();
        c.getParamScheme(before);
        c.getAllParameters(text);
        c.getParamScheme(after);
    }
    std::vector<KeyVal> set(FACTORY_KEYVAL_CAPACITY);
    u32 count = 0;
    keyval_str2st_bounded(text, set.data(), &count, FACTORY_KEYVAL_CAPACITY);
    json pairs = json::array();
    for (u32 i = 0; i < count; ++i) {
        pairs.push_back(json::array({set[i].key, set[i].value}));
    }
    return json{{"scheme", after}, {"pairs", pairs}};
}

Reply ConsoleApi::values() {
    return Reply{200, snapshot()};
}

Reply ConsoleApi::set(const json& body) {
    std::string text, error;
    if (!body.is_object() || !body.contains("pairs")) {
        return badRequest(400, "expected {\"pairs\": [[key, value], ...], \"record\": true}");
    }
    if (!readPairs(body["pairs"], m_nPairRoom, text, error)) {
        return badRequest(400, error);
    }
    bool record = true;
    if (body.contains("record")) {
        if (!body["record"].is_boolean()) {
            return badRequest(400, "\"record\" must be true or false");
        }
        record = body["record"].get<bool>();
    }
    int result = m_objSession.controller().setParameters(text, record);
    json answer = snapshot();
    answer["result"] = result;
    if (result < 0) {
        answer["failedKey"] = -static_cast<long long>(result);
    }
    return Reply{200, answer};
}

Reply ConsoleApi::flush() {
    return Reply{200, json{{"result", m_objSession.controller().flush()}}};
}

int ConsoleApi::schemeMode() {
    u32 mode = 0;
    if (m_objSession.controller().getKeyValFromCache(0, KEY_SCHEME_MODE, mode) != 0) {
        return 0;
    }
    return static_cast<int>(mode);
}

Reply ConsoleApi::schemes() {
    ISensorController& c = m_objSession.controller();
    int scheme = -1, paramMode = 0;
    c.getParamScheme(scheme);
    c.getParamMode(paramMode);
    int mode = schemeMode();
    return Reply{200, json{{"scheme", scheme},
                           {"count", m_objSession.schemeCount()},
                           {"mode", mode},
                           {"modeName", modeName(mode)},
                           {"paramMode", paramMode}}};
}

Reply ConsoleApi::pickScheme(const json& body) {
    long long scheme = 0;
    if (!body.is_object() || !body.contains("scheme") ||
        !integerIn(body["scheme"], INT32_MIN, INT32_MAX, scheme)) {
        return badRequest(400, "expected {\"scheme\": n}, n an integer");
    }
    bool ok = m_objSession.controller().setParamScheme(static_cast<int>(scheme));
    int current = -1;
    m_objSession.controller().getParamScheme(current);
    return Reply{200, json{{"ok", ok}, {"scheme", current}}};
}

Reply ConsoleApi::sim() {
    int state = 0;
    bool known = m_objSession.controller().getDNState(state);
    struct tm now = TXDeviceTime::getCurrentTime();
    std::lock_guard<std::mutex> guard(m_objClockMutex);
    json answer{{"clock", clockText(now.tm_hour * 60 + now.tm_min)}, {"fakeClock", m_bFakeClock}};
    answer["dayNight"] = known ? json(state) : json(nullptr);
    return Reply{200, answer};
}

Reply ConsoleApi::setSim(const json& body) {
    if (!body.is_object() || body.empty()) {
        return badRequest(400, "expected {\"dayNight\": 0 or 1, \"clock\": \"HH:MM\" or null}");
    }
    long long state = -1;
    int hour = -1, minute = 0;
    for (auto it = body.begin(); it != body.end(); ++it) {
        if (it.key() == "dayNight") {
            if (!integerIn(it.value(), 0, 1, state)) {
                return badRequest(400, "\"dayNight\" must be 0 (day) or 1 (night)");
            }
        } else if (it.key() == "clock") {
            if (!it.value().is_null() &&
                (!it.value().is_string() ||
                 !parseClock(it.value().get<std::string>(), hour, minute))) {
                return badRequest(400, "\"clock\" must be \"HH:MM\" or null (the real clock)");
            }
        } else {
            return badRequest(400, "unknown field \"" + it.key() + "\"");
        }
    }
    if (state >= 0) {
        iasim::setDayNightState(m_objSession.channel(), static_cast<int32_t>(state));
    }
    if (body.contains("clock")) {
        std::lock_guard<std::mutex> guard(m_objClockMutex);
        m_bFakeClock = hour >= 0;
        if (m_bFakeClock) {
            platform::setFakeClock(hour, minute);
        } else {
            platform::clearFakeClock();
        }
    }
    return sim();
}

Reply ConsoleApi::tick() {
    int result = m_objSession.controller().sensorThread();
    int scheme = -1;
    m_objSession.controller().getParamScheme(scheme);
    return Reply{200, json{{"result", result}, {"scheme", scheme}}};
}

Reply ConsoleApi::logs(const std::string& limitText) {
    int limit = LOG_LINES_DEFAULT;
    if (!limitText.empty() && (!parseInt(limitText, limit) || limit < 0)) {
        return badRequest(400, "limit must be a whole number");
    }
    m_objLogs.collect();
    ConsoleLogs::Lines lines = m_objLogs.newest(static_cast<size_t>(limit));
    json log =
        m_objSession.diagnosticsLog().empty() ? json(nullptr) : json(m_objSession.diagnosticsLog());
    return Reply{200, json{{"processor", lines.processor},
                           {"video", lines.video},
                           {"diagnostics", lines.diagnostics},
                           {"diagnosticsLog", log}}};
}

Reply ConsoleApi::day(const std::string& modeText, const std::string& night) {
    DayQuestion question;
    int mode = modeText.empty()         ? schemeMode()
               : modeText == "schedule" ? 1
               : modeText == "daynight" ? 2
                                        : -1;
    if (mode != 1 && mode != 2) {
        return badRequest(400, modeText.empty() ? "the camera's scheme mode is fixed: ask for "
                                                  "mode=schedule or mode=daynight"
                                                : "mode must be schedule or daynight");
    }
    question.byDayNight = mode == 2;
    ISensorController& c = m_objSession.controller();
    u32 h1 = 18, m1 = 0, h2 = 6, m2 = 0;
    c.getKeyValFromCache(0, KEY_DTN_H, h1);
    c.getKeyValFromCache(0, KEY_DTN_M, m1);
    c.getKeyValFromCache(0, KEY_NTD_H, h2);
    c.getKeyValFromCache(0, KEY_NTD_M, m2);
    question.nightFrom = static_cast<int>(std::min<u32>(h1, 23) * 60 + std::min<u32>(m1, 59));
    question.nightTo = static_cast<int>(std::min<u32>(h2, 23) * 60 + std::min<u32>(m2, 59));
    if (!night.empty() && !parsePeriod(night, question.nightFrom, question.nightTo)) {
        return badRequest(400, "night must be HH:MM-HH:MM");
    }
    c.getDNState(question.dayNightState);
    for (u32 s = 0; s < m_objSession.schemeCount(); ++s) {
        std::array<uint32_t, 4> window{{0, 0, 0, 0}};
        for (size_t k = 0; k < 4; ++k) {
            c.getKeyValFromCache(s, kWindowKeys[k], window[k]);
        }
        question.windows.push_back(window);
    }
    DayRun run;
    run.program = m_program;
    run.root = m_objSession.root();
    run.camera = m_objSession.options().camera;
    run.profile = m_objSession.options().profile;
    std::vector<int> slots;
    std::string error;
    if (!computeDay(run, question, slots, error)) {
        return badRequest(500, error);
    }
    json answer{{"mode", modeName(mode)}, {"slots", slots}, {"svg", daySvg(slots)}};
    if (question.byDayNight) {
        answer["night"] = clockText(question.nightFrom) + "-" + clockText(question.nightTo);
    }
    return Reply{200, answer};
}
