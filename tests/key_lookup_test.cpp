// The key-command map: the row init builds for every key of the key list, its
// handler and processor command, and the lookup of a key's row.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fixtures/ControllerTest.h"
#include "sensor/ISensorController.h"
#include "sensor/SensorKeys.h"

namespace {

class KeyCmdMapTest : public ControllerTest {};

// clang-format off
#define H(fn) &ISensorController::fn, "&ISensorController::" #fn
#define NONE nullptr, "NULL"
struct LookupCase { uint32_t key; int row; uint32_t iaCmd; SensorHandler handler; const char* func; const char* name; };
const LookupCase kLookups[] = {
    {   34,   0,   34, H(doIaCmd),            "KEY_BRIGHTNESS"},
    {   83,  13,   85, H(doIaCmd),            "KEY_IRIS_SIZE"},
    {   17,  14,   83, H(doIaCmd_User),       "KEY_IRIS_UP"},
    { 2368,  42, 2368, H(doHwdr),             "KEY_WDR_MODE"},
    { 2416,  49, 2416, H(doDIS),              "KEY_ANTI_SHAKE_SWITCH"},
    { 2384,  54, 2384, H(doMirror),           "KEY_MIRROR"},
    { 2385,  55, 2385, H(doBeaway),           "KEY_BEAWAY"},
    {  145,  56,  145, H(doDNThr),            "KEY_DTN_THR"},
    {  152,  62,  152, H(doDNTime),           "KEY_NTD_M"},
    { 8102,  76, 8102, H(doIaCmd_PanoTuning), "KEY_MIXSTREAM_DISTANCE_WIDTH_OFF"},
    { 8000,  78,    0, NONE,                  "KEY_SCHEME_MODE"},
    { 2439,  94, 2439, H(doImageAdjust),      "KEY_CAP_OFF_ADJ_V_CUR"},
    {  168, 142,    0, NONE,                  "KEY_IR_MODE_INTELL"},
    {  224, 146,  224, H(doIaCmd),            "KEY_LIGHT_TYPE"},
    {    0,  -1,    0, NONE,                  ""},
    {   12,  -1,    0, NONE,                  ""},
};
#undef H
#undef NONE
// clang-format on

}  // namespace

// The map as init allocates it on a first init: spare records zero-filled.
TEST_F(KeyCmdMapTest, LookupFindsTheKeysRowAndNeverTheSpareRecords) {
    start();
    std::vector<keycmd> map(150);
    buildKeyCmdMap(map.data());
    for (const LookupCase& c : kLookups) {
        SCOPED_TRACE(c.key);
        keycmd row = keycmd();
        ASSERT_EQ(c.row, ctl().findFromKeyCmdMap(map.data(), c.key, row));
        if (c.row >= 0) {
            EXPECT_EQ(c.key, row.key);
            EXPECT_EQ(c.iaCmd, row.ia_cmd);
            EXPECT_TRUE(c.handler == row.handler);
            EXPECT_EQ(c.func, std::string(row.func, strnlen(row.func, KEYCMD_FUNC_LEN)));
            EXPECT_EQ(c.name, std::string(row.name, strnlen(row.name, KEYCMD_NAME_LEN)));
        }
    }
}

// The shape of the whole map, as the key list in SensorKeys.h produces it: a
// row lost, doubled, moved or given another handler or command shows here.
TEST(KeyCmdMapShape, RowsHandlersAndCommandsFollowTheKeyList) {
    std::vector<keycmd> map(KEYCMD_ROWS);
    buildKeyCmdMap(map.data());
    std::map<std::string, int> handlers;
    std::set<u32> keys;
    std::set<u32> commands;
    std::vector<int> otherCommand;
    std::vector<int> recordedOnly;
    for (int row = 0; row < KEYCMD_ROWS; ++row) {
        const keycmd& r = map[row];
        ++handlers[std::string(r.func, strnlen(r.func, KEYCMD_FUNC_LEN))];
        EXPECT_TRUE(keys.insert(r.key).second) << "key " << r.key << " twice";
        EXPECT_TRUE(r.ia_cmd == 0 || commands.insert(r.ia_cmd).second) << "command " << r.ia_cmd;
        EXPECT_EQ(r.handler == nullptr, r.ia_cmd == 0) << "row " << row;
        if (r.handler && r.ia_cmd != r.key) {
            otherCommand.push_back(row);
        }
        if (!r.handler) {
            recordedOnly.push_back(row);
        }
    }
    const std::string h = "&ISensorController::";
    EXPECT_EQ((std::map<std::string, int>{{h + "doIaCmd", 77},
                                          {h + "doIaCmd_PanoTuning", 34},
                                          {h + "doIaCmd_User", 11},
                                          {"NULL", 11},
                                          {h + "doDNTime", 4},
                                          {h + "doDNThr", 3},
                                          {h + "doImageAdjust", 3},
                                          {h + "doHwdr", 1},
                                          {h + "doDIS", 1},
                                          {h + "doMirror", 1},
                                          {h + "doBeaway", 1}}),
              handlers);
    EXPECT_EQ((std::vector<int>{13, 14, 15, 29, 30, 31, 32, 33, 95}), otherCommand);
    EXPECT_EQ((std::vector<int>{78, 79, 80, 81, 82, 83, 84, 142, 143, 144, 145}), recordedOnly);
    EXPECT_EQ("IA_CMD_UI_SHUTTER_RESET", std::string(map[111].name));
    EXPECT_EQ(map[111].key, static_cast<u32>(KEY_UI_SHUTTER_RESET));
    for (u32 partner : {KEY_IR_MANUAL_STRG_MEDIUM_INTELL, KEY_IR_MANUAL_STRG_FAR_INTELL,
                        KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL, KEY_WHITE_MANUAL_STRG_FAR_INTELL}) {
        EXPECT_TRUE(isLightTypePartnerKey(partner));
        EXPECT_EQ(0u, keys.count(partner)) << partner << " has no row";
    }
}
