// Control of the simulated image-signal processor that serves ia_ioctrl_v2
// off the camera. Every channel (0-based) has its own state. Thread-safe.
#ifndef PLATFORM_IA_SIM_H
#define PLATFORM_IA_SIM_H

#include <stdint.h>

#include <string>
#include <vector>

namespace iasim {

// Forgets every channel's values, lists, ranges, faults and the call log.
void reset();
// What a plain get of cmd returns from now on (the sensor changing on its own).
void setValue(int ch, uint32_t cmd, int32_t v);
// The first word of the last set of cmd; false when cmd was never set.
bool lastSet(int ch, uint32_t cmd, int32_t& v);
// The answer of IA_CMD_DYNAMIC_PARAMS_CMDS_GET.
void setDynamicCommands(int ch, const std::vector<int32_t>& cmds);
// The answer of IA_CMD_OPT_GET_PARAM_RNAGE for cmd; also drives IA_CMD_OPT_CORRECT_PARAM.
void setParamRange(int ch, uint32_t cmd, int32_t paramType, int32_t defaultVal,
                   const std::vector<int32_t>& items);
// The answer of a get of IA_CMD_DN_STATE (0 day, 1 night).
void setDayNightState(int ch, int32_t state);
// The answer of a get of IA_CMD_CAMERA_VER_INFO (cut at 50 bytes).
void setVersionText(int ch, const std::string& text);
// Every call of cmd with option opt (-1: any option) returns result; result 0 clears.
void failCommand(int ch, uint32_t cmd, int32_t result, int opt = -1);

struct Call {
    int ch;
    uint32_t cmd;
    uint32_t opt;
    std::vector<int32_t> in;   // the words handed to the processor
    std::vector<int32_t> out;  // the words the processor filled in
};
// Every call since the last clear, in order.
std::vector<Call> calls();
void clearCalls();
// The calls since the last clear, cleared at once: a reader that keeps
// polling (a console) misses none and keeps the log from growing.
std::vector<Call> takeCalls();

}  // namespace iasim

#endif
