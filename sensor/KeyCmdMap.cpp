// The key-command map: every parameter key with the processor command that
// carries it and the controller operation that executes it, built from the
// key list of SensorKeys.h.
#include <string.h>

#include "sensor/ISensorController.h"
#include "sensor/SensorKeys.h"

namespace {

struct KeyCmdRow {
    u32 key;
    u32 ia_cmd;
    const char* name;
    SensorHandler handler;
    const char* func;
};

// The command column's word for "the key itself".
const u32 SAME = 0xFFFFFFFFu;

constexpr u32 commandOf(u32 key, u32 command) {
    return command == SAME ? key : command;
}

#define HANDLER_OF_(fn) &ISensorController::fn, "&ISensorController::" #fn
#define HANDLER_NONE nullptr, "NULL"
#define HANDLER_doIaCmd HANDLER_OF_(doIaCmd)
#define HANDLER_doIaCmd_User HANDLER_OF_(doIaCmd_User)
#define HANDLER_doIaCmd_PanoTuning HANDLER_OF_(doIaCmd_PanoTuning)
#define HANDLER_doHwdr HANDLER_OF_(doHwdr)
#define HANDLER_doImageAdjust HANDLER_OF_(doImageAdjust)
#define HANDLER_doDIS HANDLER_OF_(doDIS)
#define HANDLER_doDNThr HANDLER_OF_(doDNThr)
#define HANDLER_doDNTime HANDLER_OF_(doDNTime)
#define HANDLER_doMirror HANDLER_OF_(doMirror)
#define HANDLER_doBeaway HANDLER_OF_(doBeaway)
#define KEYCMD_ROW_(name, key, command, fn) {key, commandOf(key, command), #name, HANDLER_##fn},
#define KEYCMD_ROW_SHOWN_(name, shown, key, command, fn) \
    {key, commandOf(key, command), #shown, HANDLER_##fn},

const KeyCmdRow kRows[] = {SENSOR_KEY_MAP(KEYCMD_ROW_, KEYCMD_ROW_SHOWN_)};
static_assert(sizeof(kRows) / sizeof(kRows[0]) == KEYCMD_ROWS, "the map has KEYCMD_ROWS rows");

#undef KEYCMD_ROW_
#undef KEYCMD_ROW_SHOWN_

}  // namespace

// Names longer than their field keep its first 32 characters, unterminated.
void buildKeyCmdMap(keycmd* p_pMap) {
    for (int row = 0; row < KEYCMD_ROWS; ++row) {
        const KeyCmdRow& from = kRows[row];
        keycmd& to = p_pMap[row];
        to.key = from.key;
        to.ia_cmd = from.ia_cmd;
        to.handler = from.handler;
        strncpy(to.name, from.name, sizeof(to.name));
        strncpy(to.func, from.func, sizeof(to.func));
    }
}
