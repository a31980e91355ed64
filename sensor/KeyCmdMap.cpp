// The key-command map: every parameter key with the processor command that
// carries it and the controller operation that executes it.
#include <string.h>

#include "sensor/ISensorController.h"

namespace {

struct KeyCmdRow {
    u32 key;
    u32 ia_cmd;
    const char* name;
    SensorHandler handler;
    const char* func;
};

#define HANDLER(fn) &ISensorController::fn, "&ISensorController::" #fn
#define NO_HANDLER nullptr, "NULL"

// clang-format off
const KeyCmdRow kRows[KEYCMD_ROWS] = {
    {   34,    34, "KEY_BRIGHTNESS",                       HANDLER(doIaCmd)            },  // 0
    { 2337,  2337, "KEY_SATURATION",                       HANDLER(doIaCmd)            },  // 1
    { 2353,  2353, "KEY_CONTRAST",                         HANDLER(doIaCmd)            },  // 2
    { 2321,  2321, "KEY_SHARPNESS",                        HANDLER(doIaCmd)            },  // 3
    {   96,    96, "KEY_METER_AREA",                       HANDLER(doIaCmd)            },  // 4
    {   16,    16, "KEY_EXPOSE_MODE",                      HANDLER(doIaCmd)            },  // 5
    {   49,    49, "KEY_MAX_SHUTTER",                      HANDLER(doIaCmd)            },  // 6
    {   50,    50, "KEY_FIX_SHUTTER",                      HANDLER(doIaCmd)            },  // 7
    {   65,    65, "KEY_MAX_GAIN",                         HANDLER(doIaCmd)            },  // 8
    {   66,    66, "KEY_FIX_GAIN",                         HANDLER(doIaCmd)            },  // 9
    {   80,    80, "KEY_IRIS_SWITCH",                      HANDLER(doIaCmd)            },  // 10
    {   81,    81, "KEY_IRIS_SPEED",                       HANDLER(doIaCmd)            },  // 11
    {   82,    82, "KEY_IRIS_POSITION",                    HANDLER(doIaCmd)            },  // 12
    {   83,    85, "KEY_IRIS_SIZE",                        HANDLER(doIaCmd)            },  // 13
    {   17,    83, "KEY_IRIS_UP",                          HANDLER(doIaCmd_User)       },  // 14
    {   18,    84, "KEY_IRIS_DOWN",                        HANDLER(doIaCmd_User)       },  // 15
    {  768,   768, "KEY_WB_MODE",                          HANDLER(doIaCmd)            },  // 16
    {  770,   770, "KEY_R_GAIN",                           HANDLER(doIaCmd)            },  // 17
    {  771,   771, "KEY_B_GAIN",                           HANDLER(doIaCmd)            },  // 18
    {  144,   144, "KEY_DN_MODE",                          HANDLER(doIaCmd)            },  // 19
    {  147,   147, "KEY_DELAY",                            HANDLER(doIaCmd)            },  // 20
    {  160,   160, "KEY_IR_SWITCH",                        HANDLER(doIaCmd)            },  // 21
    {  161,   161, "KEY_IR_MODE",                          HANDLER(doIaCmd)            },  // 22
    {  162,   162, "KEY_IR_AUTO_STRG_NEAR",                HANDLER(doIaCmd)            },  // 23
    {  163,   163, "KEY_IR_MANUAL_STRG_NEAR",              HANDLER(doIaCmd)            },  // 24
    {  164,   164, "KEY_IR_AUTO_STRG_MEDIUM",              HANDLER(doIaCmd)            },  // 25
    {  165,   165, "KEY_IR_MANUAL_STRG_MEDIUM",            HANDLER(doIaCmd)            },  // 26
    {  166,   166, "KEY_IR_AUTO_STRG_FAR",                 HANDLER(doIaCmd)            },  // 27
    {  167,   167, "KEY_IR_MANUAL_STRG_FAR",               HANDLER(doIaCmd)            },  // 28
    {  170,   168, "KEY_WHITE_SWITCH",                     HANDLER(doIaCmd)            },  // 29
    {  171,   169, "KEY_WHITE_MODE",                       HANDLER(doIaCmd)            },  // 30
    {  172,   170, "KEY_WHITE_MANUAL_STRG",                HANDLER(doIaCmd)            },  // 31
    {  173,   171, "KEY_WHITE_MANUAL_STRG_MEDIUM",         HANDLER(doIaCmd)            },  // 32
    {  174,   172, "KEY_WHITE_MANUAL_STRG_FAR",            HANDLER(doIaCmd)            },  // 33
    { 2304,  2304, "KEY_2D_NR_SWITCH",                     HANDLER(doIaCmd)            },  // 34
    { 2305,  2305, "KEY_2D_NR_MODE",                       HANDLER(doIaCmd)            },  // 35
    { 2306,  2306, "KEY_2D_NR_STRG_A",                     HANDLER(doIaCmd)            },  // 36
    { 2307,  2307, "KEY_2D_NR_STRG_M",                     HANDLER(doIaCmd)            },  // 37
    { 2308,  2308, "KEY_3D_NR_SWITCH",                     HANDLER(doIaCmd)            },  // 38
    { 2309,  2309, "KEY_3D_NR_MODE",                       HANDLER(doIaCmd)            },  // 39
    { 2312,  2312, "KEY_3D_NR_STRG_A",                     HANDLER(doIaCmd)            },  // 40
    { 2313,  2313, "KEY_3D_NR_STRG_M",                     HANDLER(doIaCmd)            },  // 41
    { 2368,  2368, "KEY_WDR_MODE",                         HANDLER(doHwdr)             },  // 42
    { 2369,  2369, "KEY_WDR_STRG",                         HANDLER(doIaCmd)            },  // 43
    {  112,   112, "KEY_HLC_SWITCH",                       HANDLER(doIaCmd)            },  // 44
    {  113,   113, "KEY_HLC_STRG",                         HANDLER(doIaCmd)            },  // 45
    {  128,   128, "KEY_BLC_SWITCH",                       HANDLER(doIaCmd)            },  // 46
    {  129,   129, "KEY_BLC_MODE",                         HANDLER(doIaCmd)            },  // 47
    {  130,   130, "KEY_BLC_STRG",                         HANDLER(doIaCmd)            },  // 48
    { 2416,  2416, "KEY_ANTI_SHAKE_SWITCH",                HANDLER(doDIS)              },  // 49
    { 2417,  2417, "KEY_ANTI_SHAKE_STRG",                  HANDLER(doIaCmd)            },  // 50
    { 2400,  2400, "KEY_DEFLG_SWITCH",                     HANDLER(doIaCmd)            },  // 51
    { 2401,  2401, "KEY_DEFLG_STRG",                       HANDLER(doIaCmd)            },  // 52
    {  176,   176, "KEY_IN_OUT_SIDE",                      HANDLER(doIaCmd)            },  // 53
    { 2384,  2384, "KEY_MIRROR",                           HANDLER(doMirror)           },  // 54
    { 2385,  2385, "KEY_BEAWAY",                           HANDLER(doBeaway)           },  // 55
    {  145,   145, "KEY_DTN_THR",                          HANDLER(doDNThr)            },  // 56
    {  146,   146, "KEY_NTD_THR",                          HANDLER(doDNThr)            },  // 57
    {  154,   154, "KEY_DN_SENSITIVITY",                   HANDLER(doDNThr)            },  // 58
    {  149,   149, "KEY_DTN_H",                            HANDLER(doDNTime)           },  // 59
    {  150,   150, "KEY_DTN_M",                            HANDLER(doDNTime)           },  // 60
    {  151,   151, "KEY_NTD_H",                            HANDLER(doDNTime)           },  // 61
    {  152,   152, "KEY_NTD_M",                            HANDLER(doDNTime)           },  // 62
    { 1536,  1536, "KEY_AUTO_FOCUS_MODE",                  HANDLER(doIaCmd)            },  // 63
    { 1537,  1537, "KEY_AUTO_FOCUS_NEAR_LIMIT",            HANDLER(doIaCmd)            },  // 64
    { 1538,  1538, "KEY_AUTO_FOCUS_SENSITIVITY",           HANDLER(doIaCmd)            },  // 65
    { 1539,  1539, "KEY_AUTO_FOCUS_ONCE",                  HANDLER(doIaCmd_User)       },  // 66
    { 1616,  1616, "KEY_LENS_RESET",                       HANDLER(doIaCmd_User)       },  // 67
    { 1570,  1570, "KEY_ZOOM_OUT",                         HANDLER(doIaCmd_User)       },  // 68
    { 1569,  1569, "KEY_ZOOM_IN",                          HANDLER(doIaCmd_User)       },  // 69
    { 1553,  1553, "KEY_FOCUS_NEAR",                       HANDLER(doIaCmd_User)       },  // 70
    { 1554,  1554, "KEY_FOCUS_FAR",                        HANDLER(doIaCmd_User)       },  // 71
    { 1584,  1584, "KEY_DIGITAL_ZOOM",                     HANDLER(doIaCmd)            },  // 72
    { 1571,  1571, "KEY_MZOOM_SPEED",                      HANDLER(doIaCmd)            },  // 73
    { 8100,  8100, "KEY_MIXSTREAM_DISTANCE",               HANDLER(doIaCmd_PanoTuning) },  // 74
    { 8101,  8101, "KEY_MIXSTREAM_DISTANCE_Y_OFFSET",      HANDLER(doIaCmd_PanoTuning) },  // 75
    { 8102,  8102, "KEY_MIXSTREAM_DISTANCE_WIDTH_OFFSET",  HANDLER(doIaCmd_PanoTuning) },  // 76
    { 8103,  8103, "KEY_MIXSTREAM_DISTANCE_HEIGHT_OFFSET", HANDLER(doIaCmd_PanoTuning) },  // 77
    { 8000,     0, "KEY_SCHEME_MODE",                      NO_HANDLER                  },  // 78
    { 8001,     0, "KEY_SCHEME_START_HOUR",                NO_HANDLER                  },  // 79
    { 8002,     0, "KEY_SCHEME_START_MIN",                 NO_HANDLER                  },  // 80
    { 8003,     0, "KEY_SCHEME_END_HOUR",                  NO_HANDLER                  },  // 81
    { 8004,     0, "KEY_SCHEME_END_MIN",                   NO_HANDLER                  },  // 82
    {   10,     0, "KEY_EMPTY1",                           NO_HANDLER                  },  // 83
    {   11,     0, "KEY_EMPTY2",                           NO_HANDLER                  },  // 84
    { 1552,  1552, "KEY_MF_POSITION",                      HANDLER(doIaCmd)            },  // 85
    { 1568,  1568, "KEY_MZ_POSITION",                      HANDLER(doIaCmd)            },  // 86
    { 2432,  2432, "KEY_CAP_OFF_ADJ_DIRECTION",            HANDLER(doImageAdjust)      },  // 87
    { 2433,  2433, "KEY_CAP_OFF_ADJ_STEP",                 HANDLER(doIaCmd)            },  // 88
    { 2434,  2434, "KEY_CAP_OFF_ADJ_H_MIN",                HANDLER(doIaCmd)            },  // 89
    { 2435,  2435, "KEY_CAP_OFF_ADJ_H_MAX",                HANDLER(doIaCmd)            },  // 90
    { 2436,  2436, "KEY_CAP_OFF_ADJ_H_CUR",                HANDLER(doImageAdjust)      },  // 91
    { 2437,  2437, "KEY_CAP_OFF_ADJ_V_MIN",                HANDLER(doIaCmd)            },  // 92
    { 2438,  2438, "KEY_CAP_OFF_ADJ_V_MAX",                HANDLER(doIaCmd)            },  // 93
    { 2439,  2439, "KEY_CAP_OFF_ADJ_V_CUR",                HANDLER(doImageAdjust)      },  // 94
    { 2497,  2464, "KEY_SENSOR_FPS",                       HANDLER(doIaCmd_User)       },  // 95
    { 2512,  2512, "KEY_FREEZE",                           HANDLER(doIaCmd)            },  // 96
    { 2528,  2528, "KEY_GAMMA",                            HANDLER(doIaCmd)            },  // 97
    { 2560,  2560, "KEY_DN_AF_MODE",                       HANDLER(doIaCmd)            },  // 98
    { 8201,  8201, "KEY_NONE_COLOR_MODE",                  HANDLER(doIaCmd)            },  // 99
    { 8202,  8202, "KEY_DVE_MODE",                         HANDLER(doIaCmd)            },  // 100
    { 8203,  8203, "KEY_AUTO_TIME",                        HANDLER(doIaCmd)            },  // 101
    { 8209,  8209, "KEY_AUTO_TEMPR",                       HANDLER(doIaCmd)            },  // 102
    { 8204,  8204, "KEY_CONTROL_FFC_MODE",                 HANDLER(doIaCmd)            },  // 103
    { 8205,  8205, "KEY_IMAGES_ADJUST",                    HANDLER(doIaCmd)            },  // 104
    { 8206,  8206, "KEY_IMAGES_REGULATE",                  HANDLER(doIaCmd)            },  // 105
    { 8207,  8207, "KEY_FOCUS_SPEED_LEVEL",                HANDLER(doIaCmd)            },  // 106
    { 8208,  8208, "KEY_DVE_TYPE",                         HANDLER(doIaCmd)            },  // 107
    { 8211,  8211, "KEY_SHUTTER_ADJUST",                   HANDLER(doIaCmd)            },  // 108
    { 8212,  8212, "KEY_BACKGROUND_ADJUST",                HANDLER(doIaCmd_User)       },  // 109
    { 8217,  8217, "KEY_TEMPERATURE_STRIP_SWITCH",         HANDLER(doIaCmd)            },  // 110
    { 8231,  8231, "IA_CMD_UI_SHUTTER_RESET",              HANDLER(doIaCmd_User)       },  // 111
    { 9000,  9000, "KEY_PANO_STITCH_DIST",                 HANDLER(doIaCmd_PanoTuning) },  // 112
    { 9001,  9001, "KEY_PANO_SAVE",                        HANDLER(doIaCmd_PanoTuning) },  // 113
    { 9002,  9002, "KEY_PANO_RESET",                       HANDLER(doIaCmd_PanoTuning) },  // 114
    { 9003,  9003, "KEY_PANO_PREVIEW",                     HANDLER(doIaCmd_PanoTuning) },  // 115
    { 9004,  9004, "KEY_PANO_ADJUST_EN",                   HANDLER(doIaCmd_PanoTuning) },  // 116
    { 9005,  9005, "KEY_PANO_ID",                          HANDLER(doIaCmd_PanoTuning) },  // 117
    { 9101,  9101, "KEY_PANO_ADJUST_EN_1",                 HANDLER(doIaCmd_PanoTuning) },  // 118
    { 9102,  9102, "KEY_PANO_YAW_1",                       HANDLER(doIaCmd_PanoTuning) },  // 119
    { 9103,  9103, "KEY_PANO_PITCH_1",                     HANDLER(doIaCmd_PanoTuning) },  // 120
    { 9104,  9104, "KEY_PANO_ROLL_1",                      HANDLER(doIaCmd_PanoTuning) },  // 121
    { 9105,  9105, "KEY_PANO_OFFSETX_1",                   HANDLER(doIaCmd_PanoTuning) },  // 122
    { 9106,  9106, "KEY_PANO_OFFSETY_1",                   HANDLER(doIaCmd_PanoTuning) },  // 123
    { 9201,  9201, "KEY_PANO_ADJUST_EN_2",                 HANDLER(doIaCmd_PanoTuning) },  // 124
    { 9202,  9202, "KEY_PANO_YAW_2",                       HANDLER(doIaCmd_PanoTuning) },  // 125
    { 9203,  9203, "KEY_PANO_PITCH_2",                     HANDLER(doIaCmd_PanoTuning) },  // 126
    { 9204,  9204, "KEY_PANO_ROLL_2",                      HANDLER(doIaCmd_PanoTuning) },  // 127
    { 9205,  9205, "KEY_PANO_OFFSETX_2",                   HANDLER(doIaCmd_PanoTuning) },  // 128
    { 9206,  9206, "KEY_PANO_OFFSETY_2",                   HANDLER(doIaCmd_PanoTuning) },  // 129
    { 9301,  9301, "KEY_PANO_ADJUST_EN_3",                 HANDLER(doIaCmd_PanoTuning) },  // 130
    { 9302,  9302, "KEY_PANO_YAW_3",                       HANDLER(doIaCmd_PanoTuning) },  // 131
    { 9303,  9303, "KEY_PANO_PITCH_3",                     HANDLER(doIaCmd_PanoTuning) },  // 132
    { 9304,  9304, "KEY_PANO_ROLL_3",                      HANDLER(doIaCmd_PanoTuning) },  // 133
    { 9305,  9305, "KEY_PANO_OFFSETX_3",                   HANDLER(doIaCmd_PanoTuning) },  // 134
    { 9306,  9306, "KEY_PANO_OFFSETY_3",                   HANDLER(doIaCmd_PanoTuning) },  // 135
    { 9401,  9401, "KEY_PANO_ADJUST_EN_4",                 HANDLER(doIaCmd_PanoTuning) },  // 136
    { 9402,  9402, "KEY_PANO_YAW_4",                       HANDLER(doIaCmd_PanoTuning) },  // 137
    { 9403,  9403, "KEY_PANO_PITCH_4",                     HANDLER(doIaCmd_PanoTuning) },  // 138
    { 9404,  9404, "KEY_PANO_ROLL_4",                      HANDLER(doIaCmd_PanoTuning) },  // 139
    { 9405,  9405, "KEY_PANO_OFFSETX_4",                   HANDLER(doIaCmd_PanoTuning) },  // 140
    { 9406,  9406, "KEY_PANO_OFFSETY_4",                   HANDLER(doIaCmd_PanoTuning) },  // 141
    {  168,     0, "KEY_IR_MODE_INTELL",                   NO_HANDLER                  },  // 142
    {  175,     0, "KEY_WHITE_MODE_INTELL",                NO_HANDLER                  },  // 143
    {  200,     0, "KEY_IR_MANUAL_STRG_NEAR_INTELL",       NO_HANDLER                  },  // 144
    {  203,     0, "KEY_WHITE_MANUAL_STRG_INTELL",         NO_HANDLER                  },  // 145
    {  224,   224, "KEY_LIGHT_TYPE",                       HANDLER(doIaCmd)            },  // 146
};
// clang-format on

#undef HANDLER
#undef NO_HANDLER

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
