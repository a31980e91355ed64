// The image-signal-processor library's control entry, as the module uses it.
#ifndef PLATFORM_IA_IOCTRL_H
#define PLATFORM_IA_IOCTRL_H

#include <stdint.h>
#include <string.h>

// Command numbers. Parameter keys double as commands for most settings (the
// key-command map holds the number for each key); these are the commands the
// module sends on its own account.
enum ia_cmd_e : int32_t {
    IA_CMD_EXPOSE_MODE = 16,
    IA_CMD_MAX_SHUTTER = 49,
    IA_CMD_FIX_SHUTTER = 50,
    IA_CMD_IRIS_POSITION = 82,
    IA_CMD_IRIS_UP = 83,
    IA_CMD_IRIS_DOWN = 84,
    IA_CMD_DTN_THR = 145,
    IA_CMD_NTD_THR = 146,
    IA_CMD_DTN_H = 149,
    IA_CMD_DTN_M = 150,
    IA_CMD_NTD_H = 151,
    IA_CMD_NTD_M = 152,
    IA_CMD_DN_STATE = 153,
    IA_CMD_DN_SENSITIVITY = 154,
    IA_CMD_IR_SWITCH = 160,
    IA_CMD_WHITE_SWITCH = 168,
    IA_CMD_WHITE_MODE = 169,
    IA_CMD_AUTO_FOCUS_MODE = 1536,
    IA_CMD_AUTO_FOCUS_NEAR_LIMIT = 1537,
    IA_CMD_MF_POSITION = 1552,
    IA_CMD_FOCUS_NEAR = 1553,
    IA_CMD_FOCUS_FAR = 1554,
    IA_CMD_MZ_POSITION = 1568,
    IA_CMD_ZOOM_IN = 1569,
    IA_CMD_ZOOM_OUT = 1570,
    IA_CMD_LENS_RESET = 1616,
    IA_CMD_PTZ_RUN_STATE = 1632,
    IA_CMD_AF_STATISTIC = 1648,
    IA_CMD_WDR_MODE = 2368,
    IA_CMD_UI_WDR_SWITCH_STATE = 2370,
    IA_CMD_UI_MIRROR = 2384,
    IA_CMD_CAMERA_VER_INFO = 2496,
    IA_CMD_SENSOR_CHECK = 2816,
    IA_CMD_DYNAMIC_PARAMS_CMDS_GET = 4112,
    IA_CMD_UI_SHUTTER_RESET = 8231,
};

// The direction or option of a call.
enum ia_cmd_opt_e : uint32_t {
    IA_CMD_OPT_SET = 0,              // apply the 32-bit value (or record)
    IA_CMD_OPT_GET = 1,              // read the value (or record)
    IA_CMD_OPT_GET_PARAM_RNAGE = 2,  // default and accepted values of a dynamic parameter
    IA_CMD_OPT_CORRECT_PARAM = 3,    // bring a proposed value to what the sensor accepts
    IA_CMD_OPT_GET_EXEC_STATUS = 4,  // whether the command has finished executing
};

enum {
    IA_DYNAMIC_CMDS_MAX = 16,   // room of ia_dynamic_params_cmds_st::cmd_list
    IA_DYNAMIC_ITEMS_MAX = 64,  // room of ia_dynamic_params_attr_st::item
    IA_CAMERA_VER_LEN = 50,     // bytes of the camera version text
};

// The commands whose accepted values depend on the fitted sensor.
typedef struct {
    int32_t cmd_cnt;
    int32_t cmd_list[IA_DYNAMIC_CMDS_MAX];
} ia_dynamic_params_cmds_st;

// Default and accepted values of one dynamic parameter.
typedef struct {
    int32_t param_type;  // 0: the accepted values are the item list
    int32_t default_val;
    int32_t reserved1;
    int32_t reserved2;
    int32_t items_cnt;
    int32_t item[IA_DYNAMIC_ITEMS_MAX];
} ia_dynamic_params_attr_st;

static_assert(sizeof(ia_dynamic_params_cmds_st) == 68, "processor record layout");
static_assert(sizeof(ia_dynamic_params_attr_st) == 276, "processor record layout");

// The day/night thresholds, handed over with IA_CMD_DTN_THR, IA_CMD_NTD_THR
// and IA_CMD_DN_SENSITIVITY.
typedef struct {
    uint32_t d2n_thr;
    uint32_t n2d_thr;
    uint32_t dn_sensitivity;
} dn_thr_st;

// The day/night switching times, handed over with IA_CMD_DTN_H to IA_CMD_NTD_M.
typedef struct {
    uint32_t d2n_hour;
    uint32_t d2n_min;
    uint32_t n2d_hour;
    uint32_t n2d_min;
} dn_time_st;

static_assert(sizeof(dn_thr_st) == 12, "processor record layout");
static_assert(sizeof(dn_time_st) == 16, "processor record layout");

// Room for any record the processor reads or writes. A value that goes to a
// command the caller cannot vouch for (a key from the host or a file) is
// handed over in the first word of a zeroed room, so that a command answering
// a record never reads or writes past it.
typedef union {
    int32_t word;
    int32_t sensor_check[4];
    dn_thr_st thr;
    dn_time_st time;
    ia_dynamic_params_cmds_st cmds;
    ia_dynamic_params_attr_st attr;
    char version[IA_CAMERA_VER_LEN];
} ia_record_room_u;

// A zeroed room holding the value in its first word.
inline ia_record_room_u ia_record_room(int32_t word) {
    ia_record_room_u room;
    memset(&room, 0, sizeof(room));
    room.word = word;
    return room;
}

// Every effect on the picture goes through here; 0 is success, anything else
// a failure whose meaning belongs to the processor library.
extern "C" int32_t ia_ioctrl_v2(int32_t channel, ia_cmd_e cmd, ia_cmd_opt_e opt, void* data);

#endif
