// The simulated image-signal processor: serves ia_ioctrl_v2 off the camera
// from one state per channel that tests and tools set through iasim.
#include "platform/ia_sim.h"

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/ia_ioctrl.h"

namespace {

const int32_t kResultNoRange = -1;
const int32_t kResultBadArgument = -22;
const int kAnyOption = -1;

struct ParamRange {
    int32_t nParamType = 0;
    int32_t nDefaultVal = 0;
    std::vector<int32_t> vecItems;
};

struct ChannelState {
    std::map<uint32_t, int32_t> mapValues;    // what a plain get answers
    std::map<uint32_t, int32_t> mapLastSets;  // first word of the last set
    std::vector<int32_t> vecDynamicCmds;
    std::map<uint32_t, ParamRange> mapRanges;
    std::map<std::pair<uint32_t, int>, int32_t> mapFaults;  // (cmd, option) -> result
    int32_t nDayNightState = 0;
    std::string strVersion;
};

struct Simulator {
    std::mutex objMutex;
    std::map<int, ChannelState> mapChannels;
    std::vector<iasim::Call> vecCalls;
};

// Never destroyed: a sensor thread may still call in while the process exits.
Simulator& sim() {
    static Simulator* s_pSim = new Simulator;
    return *s_pSim;
}

// Words of the record a set of cmd hands over: the day/night threshold record,
// the day/night time record, the sensor-check record, else one value.
size_t setWordCount(uint32_t cmd) {
    switch (cmd) {
        case IA_CMD_DTN_THR:
        case IA_CMD_NTD_THR:
        case IA_CMD_DN_SENSITIVITY:
            return 3;
        case IA_CMD_DTN_H:
        case IA_CMD_DTN_M:
        case IA_CMD_NTD_H:
        case IA_CMD_NTD_M:
        case IA_CMD_SENSOR_CHECK:
            return 4;
        default:
            return 1;
    }
}

// Records are reached word by word through memcpy: the caller's record may be
// of unsigned fields or a plain byte buffer.
int32_t readWord(const void* data, size_t index) {
    int32_t word;
    memcpy(&word, static_cast<const char*>(data) + index * sizeof(int32_t), sizeof(word));
    return word;
}

std::vector<int32_t> readWords(const void* data, size_t count) {
    std::vector<int32_t> words;
    for (size_t i = 0; i < count; ++i) {
        words.push_back(readWord(data, i));
    }
    return words;
}

void writeWord(void* data, size_t index, int32_t word, std::vector<int32_t>& logged) {
    memcpy(static_cast<char*>(data) + index * sizeof(int32_t), &word, sizeof(word));
    logged.push_back(word);
}

// A fault of this very option wins over one set for any option.
bool findFault(const ChannelState& st, uint32_t cmd, uint32_t opt, int32_t& result) {
    auto it = st.mapFaults.find(std::make_pair(cmd, static_cast<int>(opt)));
    if (it == st.mapFaults.end()) {
        it = st.mapFaults.find(std::make_pair(cmd, kAnyOption));
    }
    if (it == st.mapFaults.end()) {
        return false;
    }
    result = it->second;
    return true;
}

// The words the caller hands over with the call, read even when the call fails
// so that the log shows what was asked.
std::vector<int32_t> inputWords(uint32_t cmd, uint32_t opt, const void* data) {
    if (data == nullptr) {
        return {};
    }
    switch (opt) {
        case IA_CMD_OPT_SET:
            return readWords(data, setWordCount(cmd));
        case IA_CMD_OPT_GET:
            // The sensor check carries its three numbers in; the fourth comes out.
            return cmd == IA_CMD_SENSOR_CHECK ? readWords(data, 3) : std::vector<int32_t>();
        case IA_CMD_OPT_CORRECT_PARAM:
            return readWords(data, 1);
        default:
            return {};
    }
}

// Set: the first word becomes the command's value. The sensor check's set is
// an instruction, not a value: its read-back stays what setValue gave.
int32_t doSet(ChannelState& st, uint32_t cmd, const std::vector<int32_t>& in) {
    st.mapLastSets[cmd] = in[0];
    if (cmd != IA_CMD_SENSOR_CHECK) {
        st.mapValues[cmd] = in[0];
    }
    return 0;
}

int32_t valueOf(const ChannelState& st, uint32_t cmd) {
    auto it = st.mapValues.find(cmd);
    return it == st.mapValues.end() ? 0 : it->second;
}

// Get: a plain value, or the command's own record.
int32_t doGet(ChannelState& st, uint32_t cmd, void* data, std::vector<int32_t>& out) {
    switch (cmd) {
        case IA_CMD_DYNAMIC_PARAMS_CMDS_GET: {
            // The count tells the truth even when the list has no room for it.
            const std::vector<int32_t>& cmds = st.vecDynamicCmds;
            writeWord(data, 0, static_cast<int32_t>(cmds.size()), out);
            size_t n = std::min(cmds.size(), static_cast<size_t>(IA_DYNAMIC_CMDS_MAX));
            for (size_t i = 0; i < n; ++i) {
                writeWord(data, 1 + i, cmds[i], out);
            }
            return 0;
        }
        case IA_CMD_DN_STATE:
            writeWord(data, 0, st.nDayNightState, out);
            return 0;
        case IA_CMD_CAMERA_VER_INFO: {
            // A text filling the 50 bytes goes without its terminator.
            size_t n = std::min(st.strVersion.size() + 1, static_cast<size_t>(IA_CAMERA_VER_LEN));
            memcpy(data, st.strVersion.c_str(), n);
            for (size_t i = 0; i < n; ++i) {
                out.push_back(static_cast<unsigned char>(st.strVersion.c_str()[i]));
            }
            return 0;
        }
        case IA_CMD_SENSOR_CHECK:
            writeWord(data, 3, valueOf(st, cmd), out);
            return 0;
        default:
            writeWord(data, 0, valueOf(st, cmd), out);
            return 0;
    }
}

// Option 2: the record of the dynamic parameter's default and accepted values.
int32_t doGetRange(const ChannelState& st, uint32_t cmd, void* data, std::vector<int32_t>& out) {
    auto it = st.mapRanges.find(cmd);
    if (it == st.mapRanges.end()) {
        return kResultNoRange;
    }
    const ParamRange& range = it->second;
    writeWord(data, 0, range.nParamType, out);
    writeWord(data, 1, range.nDefaultVal, out);
    writeWord(data, 2, 0, out);
    writeWord(data, 3, 0, out);
    writeWord(data, 4, static_cast<int32_t>(range.vecItems.size()), out);
    size_t n = std::min(range.vecItems.size(), static_cast<size_t>(IA_DYNAMIC_ITEMS_MAX));
    for (size_t i = 0; i < n; ++i) {
        writeWord(data, 5 + i, range.vecItems[i], out);
    }
    return 0;
}

// Option 3: an accepted value stays, any other becomes the default; a command
// the sensor does not restrict keeps whatever it was given.
int32_t doCorrect(const ChannelState& st, uint32_t cmd, void* data, int32_t value,
                  std::vector<int32_t>& out) {
    int32_t corrected = value;
    auto it = st.mapRanges.find(cmd);
    if (it != st.mapRanges.end()) {
        const std::vector<int32_t>& items = it->second.vecItems;
        if (std::find(items.begin(), items.end(), value) == items.end()) {
            corrected = it->second.nDefaultVal;
        }
    }
    writeWord(data, 0, corrected, out);
    return 0;
}

}  // namespace

extern "C" int32_t ia_ioctrl_v2(int32_t channel, ia_cmd_e cmd, ia_cmd_opt_e opt, void* data) {
    const uint32_t nCmd = static_cast<uint32_t>(cmd);
    const uint32_t nOpt = static_cast<uint32_t>(opt);
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    ChannelState& st = s.mapChannels[channel];

    iasim::Call call;
    call.ch = channel;
    call.cmd = nCmd;
    call.opt = nOpt;
    call.in = inputWords(nCmd, nOpt, data);

    int32_t result = 0;
    if (findFault(st, nCmd, nOpt, result)) {
        // A failing command moves no data.
    } else if (nOpt > IA_CMD_OPT_GET_EXEC_STATUS || data == nullptr) {
        result = kResultBadArgument;
    } else {
        switch (nOpt) {
            case IA_CMD_OPT_SET:
                result = doSet(st, nCmd, call.in);
                break;
            case IA_CMD_OPT_GET:
                result = doGet(st, nCmd, data, call.out);
                break;
            case IA_CMD_OPT_GET_PARAM_RNAGE:
                result = doGetRange(st, nCmd, data, call.out);
                break;
            case IA_CMD_OPT_CORRECT_PARAM:
                result = doCorrect(st, nCmd, data, call.in[0], call.out);
                break;
            default:
                writeWord(data, 0, 1, call.out);  // execution status: finished
                break;
        }
    }
    s.vecCalls.push_back(std::move(call));
    return result;
}

namespace iasim {

void reset() {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    s.mapChannels.clear();
    s.vecCalls.clear();
}

void setValue(int ch, uint32_t cmd, int32_t v) {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    s.mapChannels[ch].mapValues[cmd] = v;
}

bool lastSet(int ch, uint32_t cmd, int32_t& v) {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    auto chIt = s.mapChannels.find(ch);
    if (chIt == s.mapChannels.end()) {
        return false;
    }
    auto it = chIt->second.mapLastSets.find(cmd);
    if (it == chIt->second.mapLastSets.end()) {
        return false;
    }
    v = it->second;
    return true;
}

void setDynamicCommands(int ch, const std::vector<int32_t>& cmds) {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    s.mapChannels[ch].vecDynamicCmds = cmds;
}

void setParamRange(int ch, uint32_t cmd, int32_t paramType, int32_t defaultVal,
                   const std::vector<int32_t>& items) {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    ParamRange& range = s.mapChannels[ch].mapRanges[cmd];
    range.nParamType = paramType;
    range.nDefaultVal = defaultVal;
    range.vecItems = items;
}

void setDayNightState(int ch, int32_t state) {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    s.mapChannels[ch].nDayNightState = state;
}

void setVersionText(int ch, const std::string& text) {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    s.mapChannels[ch].strVersion = text;
}

void failCommand(int ch, uint32_t cmd, int32_t result, int opt) {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    std::pair<uint32_t, int> key(cmd, opt < 0 ? kAnyOption : opt);
    if (result == 0) {
        s.mapChannels[ch].mapFaults.erase(key);
    } else {
        s.mapChannels[ch].mapFaults[key] = result;
    }
}

std::vector<Call> calls() {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    return s.vecCalls;
}

void clearCalls() {
    Simulator& s = sim();
    std::lock_guard<std::mutex> guard(s.objMutex);
    s.vecCalls.clear();
}

std::vector<Call> takeCalls() {
    Simulator& s = sim();
    std::vector<Call> taken;
    std::lock_guard<std::mutex> guard(s.objMutex);
    taken.swap(s.vecCalls);
    return taken;
}

}  // namespace iasim
