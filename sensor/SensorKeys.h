// The parameter keys: every key of the key-command map, in the map's row
// order, and the intelligent-light partner keys. Hosts use the names; the
// controller builds its map from the same list, so a key's number is written
// once, here.
#ifndef SENSOR_SENSORKEYS_H
#define SENSOR_SENSORKEYS_H

#include "platform/BaseTypes.h"

// The key-command map, one row per line in the order lookups scan it:
//   KEY(name, key, command, handler)
// The command is what the handler hands the processor: SAME for the key
// itself, 0 in the rows the controller only records (handler NONE). One row
// is shown in the map under another name than its constant's:
//   KEY_SHOWN_AS(name, name shown, key, command, handler)
// (IA_CMD_UI_SHUTTER_RESET names the processor's command 8231 already.) The
// map's name field holds 32 characters: KEY_MIXSTREAM_DISTANCE_WIDTH_OFFSET
// and KEY_MIXSTREAM_DISTANCE_HEIGHT_OFFSET show cut there.
// clang-format off
#define SENSOR_KEY_MAP(KEY, KEY_SHOWN_AS) \
    KEY(KEY_BRIGHTNESS,                         34, SAME, doIaCmd)                        \
    KEY(KEY_SATURATION,                       2337, SAME, doIaCmd)                        \
    KEY(KEY_CONTRAST,                         2353, SAME, doIaCmd)                        \
    KEY(KEY_SHARPNESS,                        2321, SAME, doIaCmd)                        \
    KEY(KEY_METER_AREA,                         96, SAME, doIaCmd)                        \
    KEY(KEY_EXPOSE_MODE,                        16, SAME, doIaCmd)                        \
    KEY(KEY_MAX_SHUTTER,                        49, SAME, doIaCmd)                        \
    KEY(KEY_FIX_SHUTTER,                        50, SAME, doIaCmd)                        \
    KEY(KEY_MAX_GAIN,                           65, SAME, doIaCmd)                        \
    KEY(KEY_FIX_GAIN,                           66, SAME, doIaCmd)                        \
    KEY(KEY_IRIS_SWITCH,                        80, SAME, doIaCmd)                        \
    KEY(KEY_IRIS_SPEED,                         81, SAME, doIaCmd)                        \
    KEY(KEY_IRIS_POSITION,                      82, SAME, doIaCmd)                        \
    KEY(KEY_IRIS_SIZE,                          83,   85, doIaCmd)                        \
    KEY(KEY_IRIS_UP,                            17,   83, doIaCmd_User)                   \
    KEY(KEY_IRIS_DOWN,                          18,   84, doIaCmd_User)                   \
    KEY(KEY_WB_MODE,                           768, SAME, doIaCmd)                        \
    KEY(KEY_R_GAIN,                            770, SAME, doIaCmd)                        \
    KEY(KEY_B_GAIN,                            771, SAME, doIaCmd)                        \
    KEY(KEY_DN_MODE,                           144, SAME, doIaCmd)                        \
    KEY(KEY_DELAY,                             147, SAME, doIaCmd)                        \
    KEY(KEY_IR_SWITCH,                         160, SAME, doIaCmd)                        \
    KEY(KEY_IR_MODE,                           161, SAME, doIaCmd)                        \
    KEY(KEY_IR_AUTO_STRG_NEAR,                 162, SAME, doIaCmd)                        \
    KEY(KEY_IR_MANUAL_STRG_NEAR,               163, SAME, doIaCmd)                        \
    KEY(KEY_IR_AUTO_STRG_MEDIUM,               164, SAME, doIaCmd)                        \
    KEY(KEY_IR_MANUAL_STRG_MEDIUM,             165, SAME, doIaCmd)                        \
    KEY(KEY_IR_AUTO_STRG_FAR,                  166, SAME, doIaCmd)                        \
    KEY(KEY_IR_MANUAL_STRG_FAR,                167, SAME, doIaCmd)                        \
    KEY(KEY_WHITE_SWITCH,                      170,  168, doIaCmd)                        \
    KEY(KEY_WHITE_MODE,                        171,  169, doIaCmd)                        \
    KEY(KEY_WHITE_MANUAL_STRG,                 172,  170, doIaCmd)                        \
    KEY(KEY_WHITE_MANUAL_STRG_MEDIUM,          173,  171, doIaCmd)                        \
    KEY(KEY_WHITE_MANUAL_STRG_FAR,             174,  172, doIaCmd)                        \
    KEY(KEY_2D_NR_SWITCH,                     2304, SAME, doIaCmd)                        \
    KEY(KEY_2D_NR_MODE,                       2305, SAME, doIaCmd)                        \
    KEY(KEY_2D_NR_STRG_A,                     2306, SAME, doIaCmd)                        \
    KEY(KEY_2D_NR_STRG_M,                     2307, SAME, doIaCmd)                        \
    KEY(KEY_3D_NR_SWITCH,                     2308, SAME, doIaCmd)                        \
    KEY(KEY_3D_NR_MODE,                       2309, SAME, doIaCmd)                        \
    KEY(KEY_3D_NR_STRG_A,                     2312, SAME, doIaCmd)                        \
    KEY(KEY_3D_NR_STRG_M,                     2313, SAME, doIaCmd)                        \
    KEY(KEY_WDR_MODE,                         2368, SAME, doHwdr)                         \
    KEY(KEY_WDR_STRG,                         2369, SAME, doIaCmd)                        \
    KEY(KEY_HLC_SWITCH,                        112, SAME, doIaCmd)                        \
    KEY(KEY_HLC_STRG,                          113, SAME, doIaCmd)                        \
    KEY(KEY_BLC_SWITCH,                        128, SAME, doIaCmd)                        \
    KEY(KEY_BLC_MODE,                          129, SAME, doIaCmd)                        \
    KEY(KEY_BLC_STRG,                          130, SAME, doIaCmd)                        \
    KEY(KEY_ANTI_SHAKE_SWITCH,                2416, SAME, doDIS)                          \
    KEY(KEY_ANTI_SHAKE_STRG,                  2417, SAME, doIaCmd)                        \
    KEY(KEY_DEFLG_SWITCH,                     2400, SAME, doIaCmd)                        \
    KEY(KEY_DEFLG_STRG,                       2401, SAME, doIaCmd)                        \
    KEY(KEY_IN_OUT_SIDE,                       176, SAME, doIaCmd)                        \
    KEY(KEY_MIRROR,                           2384, SAME, doMirror)                       \
    KEY(KEY_BEAWAY,                           2385, SAME, doBeaway)                       \
    KEY(KEY_DTN_THR,                           145, SAME, doDNThr)                        \
    KEY(KEY_NTD_THR,                           146, SAME, doDNThr)                        \
    KEY(KEY_DN_SENSITIVITY,                    154, SAME, doDNThr)                        \
    KEY(KEY_DTN_H,                             149, SAME, doDNTime)                       \
    KEY(KEY_DTN_M,                             150, SAME, doDNTime)                       \
    KEY(KEY_NTD_H,                             151, SAME, doDNTime)                       \
    KEY(KEY_NTD_M,                             152, SAME, doDNTime)                       \
    KEY(KEY_AUTO_FOCUS_MODE,                  1536, SAME, doIaCmd)                        \
    KEY(KEY_AUTO_FOCUS_NEAR_LIMIT,            1537, SAME, doIaCmd)                        \
    KEY(KEY_AUTO_FOCUS_SENSITIVITY,           1538, SAME, doIaCmd)                        \
    KEY(KEY_AUTO_FOCUS_ONCE,                  1539, SAME, doIaCmd_User)                   \
    KEY(KEY_LENS_RESET,                       1616, SAME, doIaCmd_User)                   \
    KEY(KEY_ZOOM_OUT,                         1570, SAME, doIaCmd_User)                   \
    KEY(KEY_ZOOM_IN,                          1569, SAME, doIaCmd_User)                   \
    KEY(KEY_FOCUS_NEAR,                       1553, SAME, doIaCmd_User)                   \
    KEY(KEY_FOCUS_FAR,                        1554, SAME, doIaCmd_User)                   \
    KEY(KEY_DIGITAL_ZOOM,                     1584, SAME, doIaCmd)                        \
    KEY(KEY_MZOOM_SPEED,                      1571, SAME, doIaCmd)                        \
    KEY(KEY_MIXSTREAM_DISTANCE,               8100, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_MIXSTREAM_DISTANCE_Y_OFFSET,      8101, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_MIXSTREAM_DISTANCE_WIDTH_OFFSET,  8102, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_MIXSTREAM_DISTANCE_HEIGHT_OFFSET, 8103, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_SCHEME_MODE,                      8000,    0, NONE)                           \
    KEY(KEY_SCHEME_START_HOUR,                8001,    0, NONE)                           \
    KEY(KEY_SCHEME_START_MIN,                 8002,    0, NONE)                           \
    KEY(KEY_SCHEME_END_HOUR,                  8003,    0, NONE)                           \
    KEY(KEY_SCHEME_END_MIN,                   8004,    0, NONE)                           \
    KEY(KEY_EMPTY1,                             10,    0, NONE)                           \
    KEY(KEY_EMPTY2,                             11,    0, NONE)                           \
    KEY(KEY_MF_POSITION,                      1552, SAME, doIaCmd)                        \
    KEY(KEY_MZ_POSITION,                      1568, SAME, doIaCmd)                        \
    KEY(KEY_CAP_OFF_ADJ_DIRECTION,            2432, SAME, doImageAdjust)                  \
    KEY(KEY_CAP_OFF_ADJ_STEP,                 2433, SAME, doIaCmd)                        \
    KEY(KEY_CAP_OFF_ADJ_H_MIN,                2434, SAME, doIaCmd)                        \
    KEY(KEY_CAP_OFF_ADJ_H_MAX,                2435, SAME, doIaCmd)                        \
    KEY(KEY_CAP_OFF_ADJ_H_CUR,                2436, SAME, doImageAdjust)                  \
    KEY(KEY_CAP_OFF_ADJ_V_MIN,                2437, SAME, doIaCmd)                        \
    KEY(KEY_CAP_OFF_ADJ_V_MAX,                2438, SAME, doIaCmd)                        \
    KEY(KEY_CAP_OFF_ADJ_V_CUR,                2439, SAME, doImageAdjust)                  \
    KEY(KEY_SENSOR_FPS,                       2497, 2464, doIaCmd_User)                   \
    KEY(KEY_FREEZE,                           2512, SAME, doIaCmd)                        \
    KEY(KEY_GAMMA,                            2528, SAME, doIaCmd)                        \
    KEY(KEY_DN_AF_MODE,                       2560, SAME, doIaCmd)                        \
    KEY(KEY_NONE_COLOR_MODE,                  8201, SAME, doIaCmd)                        \
    KEY(KEY_DVE_MODE,                         8202, SAME, doIaCmd)                        \
    KEY(KEY_AUTO_TIME,                        8203, SAME, doIaCmd)                        \
    KEY(KEY_AUTO_TEMPR,                       8209, SAME, doIaCmd)                        \
    KEY(KEY_CONTROL_FFC_MODE,                 8204, SAME, doIaCmd)                        \
    KEY(KEY_IMAGES_ADJUST,                    8205, SAME, doIaCmd)                        \
    KEY(KEY_IMAGES_REGULATE,                  8206, SAME, doIaCmd)                        \
    KEY(KEY_FOCUS_SPEED_LEVEL,                8207, SAME, doIaCmd)                        \
    KEY(KEY_DVE_TYPE,                         8208, SAME, doIaCmd)                        \
    KEY(KEY_SHUTTER_ADJUST,                   8211, SAME, doIaCmd)                        \
    KEY(KEY_BACKGROUND_ADJUST,                8212, SAME, doIaCmd_User)                   \
    KEY(KEY_TEMPERATURE_STRIP_SWITCH,         8217, SAME, doIaCmd)                        \
    KEY_SHOWN_AS(KEY_UI_SHUTTER_RESET, IA_CMD_UI_SHUTTER_RESET, 8231, SAME, doIaCmd_User) \
    KEY(KEY_PANO_STITCH_DIST,                 9000, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_SAVE,                        9001, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_RESET,                       9002, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_PREVIEW,                     9003, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ADJUST_EN,                   9004, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ID,                          9005, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ADJUST_EN_1,                 9101, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_YAW_1,                       9102, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_PITCH_1,                     9103, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ROLL_1,                      9104, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETX_1,                   9105, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETY_1,                   9106, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ADJUST_EN_2,                 9201, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_YAW_2,                       9202, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_PITCH_2,                     9203, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ROLL_2,                      9204, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETX_2,                   9205, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETY_2,                   9206, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ADJUST_EN_3,                 9301, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_YAW_3,                       9302, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_PITCH_3,                     9303, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ROLL_3,                      9304, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETX_3,                   9305, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETY_3,                   9306, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ADJUST_EN_4,                 9401, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_YAW_4,                       9402, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_PITCH_4,                     9403, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_ROLL_4,                      9404, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETX_4,                   9405, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_PANO_OFFSETY_4,                   9406, SAME, doIaCmd_PanoTuning)             \
    KEY(KEY_IR_MODE_INTELL,                    168,    0, NONE)                           \
    KEY(KEY_WHITE_MODE_INTELL,                 175,    0, NONE)                           \
    KEY(KEY_IR_MANUAL_STRG_NEAR_INTELL,        200,    0, NONE)                           \
    KEY(KEY_WHITE_MANUAL_STRG_INTELL,          203,    0, NONE)                           \
    KEY(KEY_LIGHT_TYPE,                        224, SAME, doIaCmd)
// clang-format on

// The partner keys that have no row of their own: they are applied under
// their lamp key (SENSOR_LIGHT_PAIRS).
// clang-format off
#define SENSOR_PARTNER_KEYS(KEY)                    \
    KEY(KEY_IR_MANUAL_STRG_MEDIUM_INTELL,    201)   \
    KEY(KEY_IR_MANUAL_STRG_FAR_INTELL,       202)   \
    KEY(KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL, 204)   \
    KEY(KEY_WHITE_MANUAL_STRG_FAR_INTELL,    205)
// clang-format on

// Each lamp key and its partner: the partner is in force, and the pair is
// applied under the lamp key, while KEY_LIGHT_TYPE is 2 (intelligent light).
// clang-format off
#define SENSOR_LIGHT_PAIRS(PAIR)                                               \
    PAIR(KEY_IR_MODE,                  KEY_IR_MODE_INTELL)                     \
    PAIR(KEY_IR_MANUAL_STRG_NEAR,      KEY_IR_MANUAL_STRG_NEAR_INTELL)         \
    PAIR(KEY_IR_MANUAL_STRG_MEDIUM,    KEY_IR_MANUAL_STRG_MEDIUM_INTELL)       \
    PAIR(KEY_IR_MANUAL_STRG_FAR,       KEY_IR_MANUAL_STRG_FAR_INTELL)          \
    PAIR(KEY_WHITE_MODE,               KEY_WHITE_MODE_INTELL)                  \
    PAIR(KEY_WHITE_MANUAL_STRG,        KEY_WHITE_MANUAL_STRG_INTELL)           \
    PAIR(KEY_WHITE_MANUAL_STRG_MEDIUM, KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL)    \
    PAIR(KEY_WHITE_MANUAL_STRG_FAR,    KEY_WHITE_MANUAL_STRG_FAR_INTELL)
// clang-format on

#define SENSOR_KEY_ENUMERATOR_(name, key, ...) name = key,
#define SENSOR_KEY_SHOWN_ENUMERATOR_(name, shown, key, ...) name = key,
// clang-format off
enum SensorKey : u32 {
    SENSOR_KEY_MAP(SENSOR_KEY_ENUMERATOR_, SENSOR_KEY_SHOWN_ENUMERATOR_)
    SENSOR_PARTNER_KEYS(SENSOR_KEY_ENUMERATOR_)
};
// clang-format on
#undef SENSOR_KEY_ENUMERATOR_
#undef SENSOR_KEY_SHOWN_ENUMERATOR_

#endif
